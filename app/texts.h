// Process-wide texts and the few values shared between the window and the print worker.
#pragma once

#include <string>

#include "app/version.h"

namespace texts {
inline constexpr const wchar_t* kMainTitle = L"Tavrolin V" TAVROLIN_VERSION_SHORT L"    <支持批量打印doc,docx,xls,xlsx,ppt,pptx文档>";
inline constexpr const wchar_t* kSingleInstanceMutex = L"Tavrolin";
inline constexpr const wchar_t* kRegistryKey = L"应用程序向导生成的本地应用程序";
inline constexpr const wchar_t* kColumnPath = L"文件路径";
inline constexpr const wchar_t* kColumnStatus = L"状态";
inline constexpr const wchar_t* kPending = L"待处理";
inline constexpr const wchar_t* kDone = L"完成";
inline constexpr const wchar_t* kFailed = L"失败";
inline constexpr const wchar_t* kBannerText = L"Word,Excel,PPT批量打印软件(支持MS Office和WPS)";
inline constexpr const wchar_t* kDropHint = L"提示:支持文件直接拖入列表";
inline constexpr const wchar_t* kVendorName = L"青木办公软件";
inline constexpr const wchar_t* kVendorLine = L"推荐从官方网站下载正版，安全无捆绑 →";
inline constexpr const wchar_t* kAboutText =
    L"Tavrolin\r\n"
    L"版本：V" TAVROLIN_VERSION_SHORT L"\r\n"
    L"联系邮箱：support@example.com\r\n"
    L"官方网站：www.example.com\r\n"
    L"版权所有 © 2026 青木办公软件\r\n"
    L"电脑须安装有MS office或WPS软件\r\n"
    L"本软件由青木办公软件开发\r\n"
    L"请使用官方正式版，获取最新更新";
inline constexpr const wchar_t* kVisitWebsite = L"访问官网";
inline constexpr const wchar_t* kVisitShop = L"访问官方淘宝店";
inline constexpr const wchar_t* kWebsiteUrl = L"https://www.example.com/";
inline constexpr const wchar_t* kShopUrl = L"https://shop.example.com/";
inline constexpr const wchar_t* kDefaultFontFace = L"微软雅黑";
}  // namespace texts

// The face every painted text uses: the icon-title font's face once the main window has
// initialised.
std::wstring& UiFontFace();
