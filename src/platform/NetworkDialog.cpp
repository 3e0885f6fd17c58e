#include "platform/NetworkDialog.h"

#include "platform/Win32Sockets.h"

#include <process.h>

#include <cstdint>
#include <memory>
#include <string>

#include "dravik/protocol.h"
#include "resource.h"

namespace {

const std::uint16_t DefaultReceivePort = 5514;
const std::uint16_t DefaultForwardPort = 514;
// The viewer's own caption: the boxes are its error display, over the dialog.
const char* const BoxCaption = DRAVIK_WINDOW_TITLE;

std::string ControlText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    const int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(control, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    // What is typed around a value is no part of it.
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// One name to resolve, owned by the thread that resolves it.
struct TResolveRequest {
    HWND Dialog;
    std::string Host;
    unsigned Number;
};

unsigned __stdcall ResolveMain(void* data) {
    std::unique_ptr<TResolveRequest> request(static_cast<TResolveRequest*>(data));
    int error = 0;
    try {
        TWinsock winsock;
        error = winsock.Error();
        addrinfo* addresses = nullptr;
        if (error == 0)
            error = ::getaddrinfo(request->Host.c_str(), nullptr, nullptr, &addresses);
        if (addresses)
            ::freeaddrinfo(addresses);
    } catch (...) {
        error = WSANO_RECOVERY;
    }
    // The dialog may be gone by now: then the message goes nowhere.
    ::PostMessageA(request->Dialog, TWin32NetworkDialog::ResolvedMessage, static_cast<WPARAM>(error),
                   static_cast<LPARAM>(request->Number));
    return 0;
}

class TNetworkDialogBox {
  public:
    TNetworkDialogBox(const TNetworkSettings& current, INetworkApply& apply)
        : FCurrent(current), FApply(apply) {}

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void ShowEnabled();
    void Ok();
    void Resolved(int error, unsigned number);
    void Apply();
    void SetBusy(bool busy);
    void Complain(const std::string& text, int focus);

    HWND FDialog = nullptr;
    TNetworkSettings FCurrent;
    INetworkApply& FApply;
    // What OK read from the boxes, while its host is resolved.
    TNetworkSettings FChosen;
    unsigned FRequest = 0;
    bool FResolving = false;
};

INT_PTR CALLBACK TNetworkDialogBox::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<TNetworkDialogBox*>(lParam)->FDialog = dialog;
    }
    auto* box = reinterpret_cast<TNetworkDialogBox*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (!box)
        return FALSE;
    // Nothing raised may cross the dialog's procedure: it is said instead.
    try {
        return box->Handle(message, wParam, lParam);
    } catch (const std::exception& error) {
        ::MessageBoxA(dialog, error.what(), BoxCaption, MB_OK | MB_ICONERROR);
    } catch (...) {
        ::MessageBoxA(dialog, "Unknown error", BoxCaption, MB_OK | MB_ICONERROR);
    }
    box->SetBusy(false);
    return TRUE;
}

INT_PTR TNetworkDialogBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case TWin32NetworkDialog::ResolvedMessage:
        Resolved(static_cast<int>(wParam), static_cast<unsigned>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (!FResolving)
                Ok();
            return TRUE;
        case IDCANCEL:
            ::EndDialog(FDialog, IDCANCEL);
            return TRUE;
        case IDC_NET_RECEIVE:
        case IDC_NET_FORWARD:
            ShowEnabled();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void TNetworkDialogBox::Init() {
    const bool receiving = FCurrent.ReceivePort != 0;
    const bool forwarding = !FCurrent.Forward.Host.empty();
    ::CheckDlgButton(FDialog, IDC_NET_RECEIVE, receiving ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextA(FDialog, IDC_NET_RECEIVE_PORT,
                      std::to_string(receiving ? FCurrent.ReceivePort : DefaultReceivePort).c_str());
    ::CheckDlgButton(FDialog, IDC_NET_FORWARD, forwarding ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextA(FDialog, IDC_NET_HOST, FCurrent.Forward.Host.c_str());
    ::SetDlgItemTextA(FDialog, IDC_NET_FORWARD_PORT,
                      std::to_string(forwarding ? FCurrent.Forward.Port : DefaultForwardPort).c_str());
    const bool tcp = forwarding && FCurrent.Forward.Transport == TSyslogTransport::Tcp;
    ::CheckRadioButton(FDialog, IDC_NET_UDP, IDC_NET_TCP, tcp ? IDC_NET_TCP : IDC_NET_UDP);
    ShowEnabled();
}

// A box is open to typing only while its check box is on.
void TNetworkDialogBox::ShowEnabled() {
    const bool receiving = Checked(FDialog, IDC_NET_RECEIVE) && !FResolving;
    const bool forwarding = Checked(FDialog, IDC_NET_FORWARD) && !FResolving;
    ::EnableWindow(::GetDlgItem(FDialog, IDC_NET_RECEIVE_PORT), receiving);
    for (int id : {IDC_NET_HOST, IDC_NET_FORWARD_PORT, IDC_NET_UDP, IDC_NET_TCP})
        ::EnableWindow(::GetDlgItem(FDialog, id), forwarding);
}

void TNetworkDialogBox::Complain(const std::string& text, int focus) {
    ::MessageBoxA(FDialog, text.c_str(), BoxCaption, MB_OK | MB_ICONERROR);
    const HWND control = ::GetDlgItem(FDialog, focus);
    ::SendMessageA(FDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    ::SendMessageA(control, EM_SETSEL, 0, -1);
}

void TNetworkDialogBox::Ok() {
    TNetworkSettings chosen;
    std::string error;
    if (Checked(FDialog, IDC_NET_RECEIVE) &&
        !ParseSyslogPort(ControlText(FDialog, IDC_NET_RECEIVE_PORT), chosen.ReceivePort, error)) {
        Complain(error, IDC_NET_RECEIVE_PORT);
        return;
    }
    if (Checked(FDialog, IDC_NET_FORWARD)) {
        if (!ParseSyslogHost(ControlText(FDialog, IDC_NET_HOST), chosen.Forward.Host, error)) {
            Complain(error, IDC_NET_HOST);
            return;
        }
        if (!ParseSyslogPort(ControlText(FDialog, IDC_NET_FORWARD_PORT), chosen.Forward.Port, error)) {
            Complain(error, IDC_NET_FORWARD_PORT);
            return;
        }
        chosen.Forward.Transport =
            Checked(FDialog, IDC_NET_TCP) ? TSyslogTransport::Tcp : TSyslogTransport::Udp;
    }
    FChosen = chosen;
    if (chosen.Forward.Host.empty()) {
        Apply();
        return;
    }
    auto request =
        std::make_unique<TResolveRequest>(TResolveRequest{FDialog, chosen.Forward.Host, ++FRequest});
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ResolveMain, request.get(), 0, nullptr);
    if (thread == 0) {
        Complain("Cannot resolve the host '" + chosen.Forward.Host + "': no thread could be started",
                 IDC_NET_HOST);
        return;
    }
    request.release();
    ::CloseHandle(reinterpret_cast<HANDLE>(thread));
    SetBusy(true);
}

void TNetworkDialogBox::Resolved(int error, unsigned number) {
    if (!FResolving || number != FRequest)
        return;
    SetBusy(false);
    if (error != 0) {
        Complain("Cannot resolve the host '" + FChosen.Forward.Host + "': " + SocketErrorText(error),
                 IDC_NET_HOST);
        return;
    }
    Apply();
}

void TNetworkDialogBox::Apply() {
    std::string error;
    if (!FApply.ApplyNetwork(FChosen, error)) {
        Complain(error, IDC_NET_RECEIVE_PORT);
        return;
    }
    ::EndDialog(FDialog, IDOK);
}

// While a name is resolved the boxes stay as they are; Cancel still works.
void TNetworkDialogBox::SetBusy(bool busy) {
    FResolving = busy;
    ::EnableWindow(::GetDlgItem(FDialog, IDOK), !busy);
    for (int id : {IDC_NET_RECEIVE, IDC_NET_FORWARD})
        ::EnableWindow(::GetDlgItem(FDialog, id), !busy);
    ShowEnabled();
    ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

} // namespace

bool TWin32NetworkDialog::ShowNetworkDialog(const TNetworkSettings& current, INetworkApply& apply) {
    TNetworkDialogBox box(current, apply);
    const INT_PTR result =
        ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_NETWORK), FOwner,
                          &TNetworkDialogBox::DialogProc, reinterpret_cast<LPARAM>(&box));
    return result == IDOK;
}
