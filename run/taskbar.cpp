#include "run/taskbar.h"

#include <utility>

#include "framework/framework.h"

namespace taskbar {
namespace {
Recorder& Redirected() {
    static Recorder recorder;
    return recorder;
}
}  // namespace

Redirect::Redirect(Recorder recorder) : m_previous(std::exchange(Redirected(), std::move(recorder))) {}

Redirect::~Redirect() { Redirected() = std::move(m_previous); }

void Button::Show(const Call& call) {
    if (const Recorder& recorder = Redirected()) {
        recorder(m_window, call);
        return;
    }
    if (call.kind == Call::Flash) {
        // Until the person brings the window to the front: they may be away for the whole run.
        FLASHWINFO flash{sizeof(flash), m_window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
        ::FlashWindowEx(&flash);
        return;
    }
    if (!m_tried) {
        m_tried = true;
        if (!AfxEnsureUiApartment() ||
            FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(m_list.put()))) ||
            FAILED(m_list->HrInit()))
            m_list.reset();
    }
    if (!m_list) return;
    if (call.kind == Call::Progress)
        m_list->SetProgressValue(m_window, call.done, call.total);
    else
        m_list->SetProgressState(m_window, call.state);
}

}  // namespace taskbar
