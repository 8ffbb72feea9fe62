// The registry layer: the only code that touches the registry. Small free
// functions over the platform's registry calls, in the native 64-bit view;
// they report success as a Boolean, never raise and keep no state. Sub-key
// paths reach the platform with one trailing backslash (see AddBackslash).
#pragma once
#include <cstdint>

#include "common/types.h"
#include "platform/platform.h"

// HKEY_CURRENT_USER: opens the calling thread's user root with KEY_READ (an
// owned handle). HKEY_LOCAL_MACHINE: the predefined handle itself. Any other
// root: key 0 and false, without asking the platform.
bool OpenRootKey(THKey root, THKey& key);
// Opens parent\subKey with the access mask; key 0 on failure.
bool OpenKey(THKey parent, const ustring& subKey, std::uint32_t access, THKey& key);
// Creates parent\subKey (or opens it when it exists) with query and set rights.
bool CreateKey(THKey parent, const ustring& subKey, THKey& key);
// The platform status of closing key; on success key becomes 0, on failure it
// is left as it was so that a later CloseKey tries again.
std::uint32_t CloseKey(THKey& key);

// Value 0 first; true only for a REG_DWORD value read into a 4-byte buffer.
bool ReadDWord(THKey key, const ustring& name, std::uint32_t& value);
// Empty first; true only for a REG_SZ value (text up to its first NUL, also
// when the stored data has none).
bool ReadString(THKey key, const ustring& name, ustring& value);
bool WriteDWord(THKey key, const ustring& name, std::uint32_t value);
// REG_SZ with the terminating NUL counted; an empty name sets the default value.
bool WriteString(THKey key, const ustring& name, const ustring& value);
bool WriteEmptyBinary(THKey key, const ustring& name);  // REG_BINARY of 0 bytes
bool WriteEmptyNone(THKey key, const ustring& name);    // REG_NONE of 0 bytes
// Empty first; reads root\subKey's value with query rights. The per-user root
// it opened is closed again; the machine root is predefined and never closed.
// True only when every step succeeded.
bool ReadRootString(THKey root, const ustring& subKey, const ustring& name, ustring& value);

// Owns a key handle: closes it when it goes (predefined roots are never closed).
class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(THKey key) : key_(key) {}
  ~TRegKey() { Close(); }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  TRegKey(TRegKey&& other) noexcept : key_(other.key_) { other.key_ = 0; }
  TRegKey& operator=(TRegKey&& other) noexcept;

  THKey Get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }
  // For OpenKey/CreateKey to fill; closes what was held before.
  THKey& Out();
  // CloseKey of the held key (0 when none or predefined); on failure the key
  // stays held, and the destructor tries once more.
  std::uint32_t Close();

 private:
  THKey key_ = 0;
};
