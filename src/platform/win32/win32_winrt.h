// The Windows Runtime functions, bound from their libraries on first use so
// that a system without the runtime never reaches them; platform strings
// (HSTRING) with an owner; and a small owner for interface pointers.
#pragma once
#include <windows.h>
#include <inspectable.h>

#include "common/types.h"

struct TWinRTApi {
  HRESULT(WINAPI* roInitialize)(int initType) = nullptr;
  void(WINAPI* roUninitialize)() = nullptr;
  HRESULT(WINAPI* roGetActivationFactory)(HSTRING classId, REFIID iid, void** factory) = nullptr;
  HRESULT(WINAPI* createString)(LPCWSTR text, UINT32 length, HSTRING* string) = nullptr;
  HRESULT(WINAPI* deleteString)(HSTRING string) = nullptr;
  UINT32(WINAPI* getStringLen)(HSTRING string) = nullptr;
  LPCWSTR(WINAPI* getStringRawBuffer)(HSTRING string, UINT32* length) = nullptr;
  HRESULT missing = S_OK;  // what the calls answer when a function could not be bound
};
// Bound once per process (thread-safe); absent functions stay null.
const TWinRTApi& WinRT();

// A platform string made from text; deleted with the owner.
class THString {
 public:
  explicit THString(const ustring& text);
  ~THString();
  THString(const THString&) = delete;
  THString& operator=(const THString&) = delete;
  HRESULT Code() const { return code_; }  // result of WindowsCreateString
  HSTRING Get() const { return string_; }

 private:
  HSTRING string_ = nullptr;
  HRESULT code_;
};

// The string's units up to its length, stopping early at a NUL.
ustring HStringToStr(HSTRING string);
// HStringToStr, then deletes the string.
ustring TakeHString(HSTRING string);

// Owns one reference of an interface pointer.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  T** Put() {
    Reset();
    return &ptr_;
  }
  T* Detach() {
    T* ptr = ptr_;
    ptr_ = nullptr;
    return ptr;
  }
  void Reset() {
    if (ptr_ != nullptr) ptr_->Release();
    ptr_ = nullptr;
  }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};
