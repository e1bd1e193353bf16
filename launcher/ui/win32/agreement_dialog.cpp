#include "launcher/ui/win32/agreement_dialog.h"

#include <string>

#include "launcher/control/message_ids.h"
#include "launcher/resources/resource_ids.h"

namespace veltharn {

INT_PTR CAgreementDialog::Run(HWND owner) {
  return RunModal(instance_, IDD_AGREEMENT_DIALOG, owner);
}

void CAgreementDialog::SetCaption(int controlId, int textId) {
  char text[512] = {};
  LoadStringA(instance_, static_cast<UINT>(textId), text, sizeof text);
  if (controlId == 0) {
    SetWindowTextA(window(), text);
  } else {
    SetDlgItemTextA(window(), controlId, text);
  }
}

INT_PTR CAgreementDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG: {
      SetCaption(0, msg::kAgreementTitle);
      SetCaption(IDOK, msg::kOkButton);
      SetCaption(IDC_ACCEPT_CHECK, msg::kAcceptCheckBox);
      SetCaption(IDC_DISAGREE, msg::kDisagreeButton);
      // The terms: code page 949 bytes without a terminator, so copied into a string first.
      HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(IDR_TERMS_TEXT), "TEXT");
      if (found != nullptr) {
        HGLOBAL loaded = LoadResource(instance_, found);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes != nullptr) {
          std::string terms(bytes, SizeofResource(instance_, found));
          SetDlgItemTextA(window(), IDC_TERMS_TEXT, terms.c_str());
        }
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ACCEPT_CHECK:
          if (IsDlgButtonChecked(window(), IDC_ACCEPT_CHECK) == BST_CHECKED) {
            EnableWindow(GetDlgItem(window(), IDOK), TRUE);
          }
          return TRUE;
        case IDOK:
          if (IsWindowEnabled(GetDlgItem(window(), IDOK))) EndDialog(window(), IDOK);
          return TRUE;
        case IDC_DISAGREE:
          EndDialog(window(), IDCANCEL);
          return TRUE;
        case IDCANCEL:  // Escape: the user must choose
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace veltharn
