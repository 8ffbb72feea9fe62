#include "platform/win32/win32_winrt.h"

namespace {

template <class F>
void Bind(HMODULE lib, const char* name, F& fn) {
  if (lib != nullptr) fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib, name)));
}

TWinRTApi BindWinRT() {
  TWinRTApi api;
  // Kept loaded for the life of the process: the bound functions live there.
  // The names are API sets, which the loader resolves itself.
  HMODULE core = ::LoadLibraryW(L"api-ms-win-core-winrt-l1-1-0.dll");
  HMODULE strings = ::LoadLibraryW(L"api-ms-win-core-winrt-string-l1-1-0.dll");
  Bind(core, "RoInitialize", api.roInitialize);
  Bind(core, "RoUninitialize", api.roUninitialize);
  Bind(core, "RoGetActivationFactory", api.roGetActivationFactory);
  Bind(strings, "WindowsCreateString", api.createString);
  Bind(strings, "WindowsDeleteString", api.deleteString);
  Bind(strings, "WindowsGetStringLen", api.getStringLen);
  Bind(strings, "WindowsGetStringRawBuffer", api.getStringRawBuffer);
  api.missing = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return api;
}

}  // namespace

const TWinRTApi& WinRT() {
  static const TWinRTApi api = BindWinRT();
  return api;
}

THString::THString(const ustring& text) : code_(WinRT().missing) {
  const TWinRTApi& api = WinRT();
  if (api.createString == nullptr) return;
  code_ = api.createString(reinterpret_cast<LPCWSTR>(text.data()), static_cast<UINT32>(text.size()), &string_);
  if (FAILED(code_)) string_ = nullptr;
}

THString::~THString() {
  if (string_ != nullptr && WinRT().deleteString != nullptr) WinRT().deleteString(string_);
}

ustring HStringToStr(HSTRING string) {
  const TWinRTApi& api = WinRT();
  if (string == nullptr || api.getStringLen == nullptr || api.getStringRawBuffer == nullptr) return {};
  const UINT32 length = api.getStringLen(string);
  const wchar_t* raw = api.getStringRawBuffer(string, nullptr);
  if (raw == nullptr) return {};
  ustring text;
  for (UINT32 i = 0; i < length && raw[i] != L'\0'; ++i) text += static_cast<char16_t>(raw[i]);
  return text;
}

ustring TakeHString(HSTRING string) {
  ustring text = HStringToStr(string);
  if (string != nullptr && WinRT().deleteString != nullptr) WinRT().deleteString(string);
  return text;
}
