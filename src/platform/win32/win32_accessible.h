// Accessible names for controls that have no caption of their own (the
// language box, the memos): screen readers ask a window with WM_GETOBJECT;
// the answer is the system's own accessible object for the control, with
// the name replaced by the text of the label that names it.
#pragma once
#include <windows.h>

#include <string>

// Answers WM_GETOBJECT for the client object of `control` with `name`; false
// (the message then goes on to the control) for other objects, an empty
// name, or when the accessibility library is not available.
bool AnswerAccessibleName(HWND control, WPARAM wp, LPARAM lp, const std::wstring& name, LRESULT& result);
