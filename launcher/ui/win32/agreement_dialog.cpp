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
      // The terms: code page 949 bytes without a terminator, so copied into a string first.
      // Replacing the whole selection leaves the caret after the last byte of the text.
      std::string terms;
      if (HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(IDR_TERMS_TEXT), "TEXT")) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(instance_, found)));
        if (bytes != nullptr) terms.assign(bytes, SizeofResource(instance_, found));
      }
      HWND text = GetDlgItem(window(), IDC_TERMS_TEXT);
      SendMessageA(text, EM_SETSEL, 0, -1);
      SendMessageA(text, EM_SCROLLCARET, 0, 0);
      SendMessageA(text, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(terms.c_str()));
      SetCaption(IDC_ACCEPT, msg::kOkButton);
      EnableWindow(GetDlgItem(window(), IDC_ACCEPT), FALSE);
      SetCaption(IDC_DISAGREE, msg::kDisagreeButton);
      SetCaption(IDC_ACCEPT_CHECK, msg::kAcceptCheckBox);
      SetCaption(0, msg::kAgreementTitle);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ACCEPT_CHECK:
          if (IsDlgButtonChecked(window(), IDC_ACCEPT_CHECK) == BST_CHECKED) {
            EnableWindow(GetDlgItem(window(), IDC_ACCEPT), TRUE);
          }
          return TRUE;
        case IDC_ACCEPT:
          if (IsWindowEnabled(GetDlgItem(window(), IDC_ACCEPT))) EndDialog(window(), IDOK);
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
