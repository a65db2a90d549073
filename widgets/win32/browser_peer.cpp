// The browser pane hosts the system's web browser control through ATL's control host window.
// Without ATL or the control, the pane stays an empty white area and navigation goes nowhere.
#include <exdisp.h>
#include <oleauto.h>

#include "platform/win32/system_library.h"
#include "widgets/win32/child_peers.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

struct AtlHost {
  AtlAxGetControlFn get_control = nullptr;
  bool ready = false;
};

const AtlHost& atl_host() {
  static const AtlHost host = [] {
    AtlHost h;
    HMODULE atl = qvx::win32::load_system_library(L"atl.dll");  // kept for the process's life
    if (!atl) return h;
    auto init = reinterpret_cast<AtlAxWinInitFn>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    h.get_control = reinterpret_cast<AtlAxGetControlFn>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    h.ready = init && h.get_control && init();
    return h;
  }();
  return host;
}

class BrowserPeer : public Peer {
 public:
  BrowserPeer(Win32Ui& ui, ContainerPeer& container, Browser& browser)
      : Peer(ui, browser, &container), browser_(browser) {
    const AtlHost& host = atl_host();
    if (host.ready) {
      create_child(L"AtlAxWin", WS_CLIPCHILDREN, 0, L"Shell.Explorer.2");
      IUnknown* unknown = nullptr;
      if (hwnd() && SUCCEEDED(host.get_control(hwnd(), &unknown)) && unknown) {
        unknown->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web_));
        unknown->Release();
      }
    }
    if (!hwnd()) create_child(L"STATIC", SS_WHITERECT, 0, L"");
    if (web_) web_->put_Silent(VARIANT_TRUE);  // no script error boxes from the pages
    browser.peer_navigate = [this](const std::string& url) { navigate(url); };
    browser.peer_stop = [this] {
      if (web_) web_->Stop();
    };
    if (!browser.location().empty()) navigate(browser.location());
  }

  ~BrowserPeer() override {
    browser_.peer_navigate = nullptr;
    browser_.peer_stop = nullptr;
    if (web_) web_->Release();
  }

 protected:
  void apply_caption() override {}
  void apply_font() override {}

 private:
  void navigate(const std::string& url) {
    if (!web_) return;
    BSTR address = SysAllocString(widen(url).c_str());
    VARIANT none;
    VariantInit(&none);
    web_->Navigate(address, &none, &none, &none, &none);
    SysFreeString(address);
  }

  Browser& browser_;
  IWebBrowser2* web_ = nullptr;
};

}  // namespace

std::unique_ptr<Peer> make_browser_peer(Win32Ui& ui, ContainerPeer& container, Browser& browser) {
  return std::make_unique<BrowserPeer>(ui, container, browser);
}

}  // namespace qvx::widgets::win32
