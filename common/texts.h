// Every text the program shows, in one place.
#pragma once

#include <string>

#include "common/version.h"

namespace texts {
inline constexpr const wchar_t* kMainTitle = L"Tavrolin V" TAVROLIN_VERSION_SHORT L"    <支持批量打印doc,docx,xls,xlsx,ppt,pptx文档>";
inline constexpr const wchar_t* kSingleInstanceMutex = L"Tavrolin";
// The window of a run started by "/print": another title, so a later launch never takes it for
// the window to hand its names to.
inline constexpr const wchar_t* kPrintCommandTitle = L"Tavrolin V" TAVROLIN_VERSION_SHORT L"    命令行打印";
// The lock every print run of a user session holds for its whole length.
inline constexpr const wchar_t* kRunLockName = L"Local\\Tavrolin.PrintRun";
inline constexpr const wchar_t* kColumnPath = L"文件路径";
inline constexpr const wchar_t* kColumnStatus = L"状态";
inline constexpr const wchar_t* kPending = L"待处理";
inline constexpr const wchar_t* kDone = L"完成";
inline constexpr const wchar_t* kFailed = L"失败";
inline constexpr const wchar_t* kPrinting = L"打印中";
// A row the run never reached: it was stopped first, or cut off.
inline constexpr const wchar_t* kNotPrinted = L"未打印";
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

// The main window's buttons and boxes.
inline constexpr const wchar_t* kAddFiles = L"添加文件";
inline constexpr const wchar_t* kRemoveFile = L"移除文件";
inline constexpr const wchar_t* kClearList = L"清空列表";
inline constexpr const wchar_t* kStart = L"开始打印";
inline constexpr const wchar_t* kAbout = L"关于我们";
inline constexpr const wchar_t* kSuiteNameMsOffice = L"MS Office";
inline constexpr const wchar_t* kSuiteNameWps = L"WPS";
inline constexpr const wchar_t* kBusyLabel = L"处理中";
// The run's own controls beside the busy indicator: the stop, and the count of rows handled.
inline constexpr const wchar_t* kStopRun = L"停止打印";
inline constexpr const wchar_t* kStopping = L"正在停止…";
inline constexpr const wchar_t* kHandledStart = L"已处理 ";
inline constexpr const wchar_t* kHandledOf = L" / ";

// Questions and answers of the main window's commands.
inline constexpr const wchar_t* kConfirmExit = L"您确定要退出吗 ?";
inline constexpr const wchar_t* kChooseFolder = L"请选择路径: ";
inline constexpr const wchar_t* kSelectOne = L"请选择一项";
inline constexpr const wchar_t* kConfirmRemove = L"确定移除吗";
inline constexpr const wchar_t* kRemoved = L"移除成功";
inline constexpr const wchar_t* kNothingToClear = L"无可清理文件";
inline constexpr const wchar_t* kConfirmClear = L"确定清空列表吗";
inline constexpr const wchar_t* kCleared = L"清空成功";
inline constexpr const wchar_t* kNothingToPrint = L"无可转换的文件";
inline constexpr const wchar_t* kCannotStartRun = L"无法启动打印任务，请重试";
// At the start after a run that was cut off (ended from outside, a crash, a power cut).
inline constexpr const wchar_t* kOfferCutRun = L"上次打印没有正常结束。要恢复当时的文件列表吗？";
inline constexpr const wchar_t* kAnotherRunActive = L"另一批文档正在打印，请稍后再试";

// What "/print" writes to the console it was started from.
inline constexpr const wchar_t* kArgUnknownSwitch = L"未知的开关：";
inline constexpr const wchar_t* kArgMissingValue = L" 后面缺少名称或数值";
inline constexpr const wchar_t* kArgBadCopies = L"份数必须是 1 到 300 之间的整数：";
inline constexpr const wchar_t* kArgBadSuite = L"办公软件只能是 ms 或 wps：";
inline constexpr const wchar_t* kArgBadDuplex = L"双面打印只能是 long（长边翻转）、short（短边翻转）或 none（单面）：";
inline constexpr const wchar_t* kArgColorAndMono = L"/color 和 /mono 只能选一个";
// "/print" refused before anything prints: the printer cannot do what was asked.
inline constexpr const wchar_t* kPrinterCannotDuplex = L"”不能双面打印";
inline constexpr const wchar_t* kPrinterCannotColor = L"”不能彩色打印";
inline constexpr const wchar_t* kArgListUnreadable = L"无法读取列表文件：";
inline constexpr const wchar_t* kPrinterNotFound = L"找不到打印机：";
inline constexpr const wchar_t* kNoDefaultPrinter = L"没有默认打印机";
inline constexpr const wchar_t* kSummaryPrinted = L"打印结束：成功 ";
inline constexpr const wchar_t* kSummaryFailed = L" 个，失败 ";
inline constexpr const wchar_t* kSummaryEnd = L" 个";
inline constexpr const wchar_t* kFailedLine = L"失败：";
inline constexpr const wchar_t* kSkippedLine = L"跳过：";
inline constexpr const wchar_t* kNoWindow = L"无法打开程序窗口，没有打印任何文件";
inline constexpr const wchar_t* kReportUnwritable = L"无法写入结果文件：";

// The list's context menu and its questions.
inline constexpr const wchar_t* kMenuOpenLocation = L"打开文件所在位置";
inline constexpr const wchar_t* kMenuCopyPaths = L"复制路径";
inline constexpr const wchar_t* kMenuRemoveSelected = L"移除选中的文件";
inline constexpr const wchar_t* kMenuKeepNotPrinted = L"只保留未打印成功的文件";
inline constexpr const wchar_t* kConfirmKeepNotPrinted = L"确定只保留未打印成功的文件（失败和未打印）吗？其余文件将从列表中移除";
inline constexpr const wchar_t* kMenuExportResults = L"导出结果…";
inline constexpr const wchar_t* kMenuSaveList = L"保存列表…";
inline constexpr const wchar_t* kMenuOpenList = L"打开列表…";

// The files the list's menu writes and reads.
inline constexpr const wchar_t* kCsvFilter = L"CSV 文件 (*.csv)|*.csv||";
inline constexpr const wchar_t* kListFilter = L"文件列表 (*.txt)|*.txt||";
inline constexpr const wchar_t* kListFileName = L"文件列表.txt";
inline constexpr const wchar_t* kCannotWriteStart = L"无法保存文件“";
inline constexpr const wchar_t* kCannotReadStart = L"无法读取文件“";
inline constexpr const wchar_t* kFileReasonSeparator = L"”：\r\n";
// The box after a list file was opened: how many were added and skipped, the first skipped
// with why ("路径（原因）"), and how many more.
inline constexpr const wchar_t* kListAdded = L"已加入 ";
inline constexpr const wchar_t* kListSkipped = L" 个文件，跳过 ";
inline constexpr const wchar_t* kListCountEnd = L" 个。";
inline constexpr const wchar_t* kListSkippedFirst = L"\r\n\r\n跳过的文件：";
inline constexpr const wchar_t* kListSkippedMore = L"……另有 ";
inline constexpr const wchar_t* kListSkippedMoreEnd = L" 个";
inline constexpr const wchar_t* kSkippedNotADocument = L"不是 Word、Excel 或 PowerPoint 文档";
inline constexpr const wchar_t* kSkippedMissing = L"文件不存在";
inline constexpr const wchar_t* kSkippedDuplicate = L"已在列表中";
inline constexpr const wchar_t* kSkippedNoDocuments = L"文件夹中没有 Word、Excel 或 PowerPoint 文档";
inline constexpr const wchar_t* kSkippedDriveRelative = L"路径相对于驱动器的当前目录，请写完整路径";
inline constexpr const wchar_t* kSkippedNotAPath = L"不是文件的完整路径（驱动器或共享文件夹下的路径）";

// The record of a run as a CSV file: the columns after the list's two, and the proposed name.
inline constexpr const wchar_t* kCsvReason = L"原因";
inline constexpr const wchar_t* kCsvPrinter = L"打印机";
inline constexpr const wchar_t* kCsvCopies = L"份数";
inline constexpr const wchar_t* kCsvSuite = L"办公软件";
inline constexpr const wchar_t* kCsvTime = L"时间";
inline constexpr const wchar_t* kResultFilePrefix = L"打印结果";

// What the system's list of power requests shows while a run keeps the machine awake.
inline constexpr const wchar_t* kKeepAwakeReason = L"正在批量打印文档";

// The question before a run on a printer that reports trouble: start, the printer's name,
// the state part, its troubles joined by "、", the end.
inline constexpr const wchar_t* kPrinterQuestionStart = L"打印机“";
inline constexpr const wchar_t* kPrinterQuestionState = L"”当前状态：";
inline constexpr const wchar_t* kPrinterQuestionEnd = L"。\r\n\r\n仍要开始打印吗？";
inline constexpr const wchar_t* kPrinterOffline = L"脱机";
inline constexpr const wchar_t* kPrinterPaused = L"已暂停";
inline constexpr const wchar_t* kPrinterError = L"出错";
inline constexpr const wchar_t* kPrinterPaperOut = L"缺纸";
inline constexpr const wchar_t* kPrinterPaperJam = L"卡纸";
inline constexpr const wchar_t* kPrinterNotAccepting = L"不接受打印任务";
inline constexpr const wchar_t* kPrinterNeedsAttention = L"需要人工干预";

// The usage of "/?": kUsageStart, the program's file name, kUsageWindow, an indent, the name
// again, kUsageRest.
inline constexpr const wchar_t* kUsageStart = L"用法：";
inline constexpr const wchar_t* kUsageWindow = L" [/list 列表.txt] [文件 ...]\r\n";
inline constexpr const wchar_t* kUsageIndent = L"      ";
inline constexpr const wchar_t* kUsageRest =
    L" /print [/printer 名称] [/copies N] [/suite ms|wps] [/duplex long|short|none] [/color|/mono]\r\n"
    L"      [/pages N 或 N-M] [/report 结果.csv] [/list 列表.txt] 文件或目录 ...\r\n\r\n"
    L"命令行上的文件会加入文件列表，规则与拖入列表相同：只加入 Word、Excel 和 PowerPoint 文档，"
    L"列表中已有的文件不会重复加入。含空格的路径请加英文引号，相对路径按当前目录补全。"
    L"/list 读入列表文件（每行一个路径，UTF-8、UTF-16 或 ANSI）。\r\n\r\n"
    L"程序已在运行时，文件会加入正在运行的窗口；正在打印时不加入。\r\n\r\n"
    L"也可以把文件拖到程序图标上，或使用右键菜单中的“打开方式”和“发送到”。\r\n\r\n"
    L"/print    不经询问直接打印，结束后自动退出；目录中的文档（不含子目录）也一并打印\r\n"
    L"/printer  打印机名称（不区分大小写），默认为系统默认打印机\r\n"
    L"/copies   每个文件的份数，1 到 300，默认为 1\r\n"
    L"/suite    ms（MS Office，默认）或 wps\r\n"
    L"/duplex   long 双面（长边翻转）、short 双面（短边翻转）或 none 单面，默认按打印机的设置\r\n"
    L"/color    彩色；/mono 黑白；默认按打印机的设置\r\n"
    L"/pages    每个文件只打印这些页，如 3 或 2-5（演示文稿为幻灯片），默认全部\r\n"
    L"/report   把每个文件的结果写入 CSV 文件\r\n\r\n"
    L"/print 的退出代码：0 全部打印；1 有文件失败；2 参数错误；3 打印机不存在或不可用（未打印）；"
    L"4 没有可打印的文档；5 另一批文档正在打印\r\n\r\n"
    L"/?    显示本说明";

// Why a row is "失败", shown as the row's tip.
inline constexpr const wchar_t* kReasonNotADocument = L"不是 Word、Excel 或 PowerPoint 文档";
inline constexpr const wchar_t* kReasonFileUnreadable = L"文件不存在或无法读取";
inline constexpr const wchar_t* kReasonNameMissing = L"文件或文件夹不存在或无法读取";
inline constexpr const wchar_t* kReasonFolderUnreadable = L"无法读取文件夹";
inline constexpr const wchar_t* kReasonPrinterUnavailable = L"打印机不可用";
inline constexpr const wchar_t* kReasonPrinterSettingsUnavailable = L"无法设置打印机的双面或颜色选项";
inline constexpr const wchar_t* kReasonServerCannotStart = L"无法启动办公软件";
inline constexpr const wchar_t* kReasonVersionTooOld = L"办公软件版本过低（需要 2007 或更高版本）";
inline constexpr const wchar_t* kReasonNeedsPassword = L"文档需要密码";
inline constexpr const wchar_t* kReasonServerNotAnswering = L"办公软件无响应，已结束";
inline constexpr const wchar_t* kReasonServerNotAnsweringInUse = L"办公软件无响应；其中有您打开的文档，未结束它";
inline constexpr const wchar_t* kReasonServerStuckAtStart = L"办公软件启动时弹出窗口并停止响应，已结束";
inline constexpr const wchar_t* kReasonStopped = L"打印已停止";
inline constexpr const wchar_t* kReasonFailed = L"办公软件无法打印此文档";

// Servers that cannot start.
inline constexpr const wchar_t* kCannotStartMsWord = L"无法启动MS-Word!";
inline constexpr const wchar_t* kCannotStartWpsWord = L"无法启动WPS-Word!";
inline constexpr const wchar_t* kCannotStartMsExcel = L"无法启动MS-Excel!";
inline constexpr const wchar_t* kCannotStartWpsExcel = L"无法启动WPS-Excel!";
inline constexpr const wchar_t* kCannotStartMsPpt = L"无法启动MS-PPT服务器!";
inline constexpr const wchar_t* kCannotStartWpsPpt = L"无法启动WPS-PPT服务器!";

// The run's print settings under the printer box, and their words in the report and the list.
inline constexpr const wchar_t* kDuplexLabel = L"双面打印：";
inline constexpr const wchar_t* kColorLabel = L"颜色：";
inline constexpr const wchar_t* kPagesLabel = L"页码范围：";
inline constexpr const wchar_t* kPrinterDefaultSetting = L"打印机默认";
inline constexpr const wchar_t* kDuplexOneSided = L"单面";
inline constexpr const wchar_t* kDuplexLongEdge = L"双面（长边翻转）";
inline constexpr const wchar_t* kDuplexShortEdge = L"双面（短边翻转）";
inline constexpr const wchar_t* kColorColor = L"彩色";
inline constexpr const wchar_t* kColorMono = L"黑白";
inline constexpr const wchar_t* kAllPages = L"全部";
inline constexpr const wchar_t* kCsvDuplex = L"双面";
inline constexpr const wchar_t* kCsvColor = L"颜色";
inline constexpr const wchar_t* kCsvPages = L"页码范围";
// The box at 开始打印 for a page range that cannot be read: start, the text, the end, then why.
inline constexpr const wchar_t* kBadPagesStart = L"页码范围“";
inline constexpr const wchar_t* kBadPagesEnd = L"”无效：";
inline constexpr const wchar_t* kPagesNotARange = L"请填写一个页码（如 3）或一段页码（如 2-5），留空则打印全部页";
inline constexpr const wchar_t* kPagesFromOne = L"页码从 1 开始";
inline constexpr const wchar_t* kPagesTooLarge = L"页码不能大于 9999";
inline constexpr const wchar_t* kPagesBackwards = L"起始页不能大于结束页";
}  // namespace texts
