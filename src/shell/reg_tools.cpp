// The registry layer over the platform seam. The view flags are never added:
// the setup is a 64-bit program and works in the native view.
#include "shell/reg_tools.h"

#include <vector>

#include "common/utils.h"

namespace {

constexpr std::uint32_t cCreatedKeyAccess = cKeyQueryValue | cKeySetValue;

bool IsPredefined(THKey key) { return key == cHkeyLocalMachine || key == cHkeyCurrentUser; }

bool SetValue(THKey key, const ustring& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  return Os().RegSetValueExW(key, name, type, data.empty() ? nullptr : data.data(),
                             static_cast<std::uint32_t>(data.size())) == cErrSuccess;
}

}  // namespace

bool OpenRootKey(THKey root, THKey& key) {
  key = 0;
  if (root == cHkeyCurrentUser) return Os().RegOpenCurrentUser(cKeyRead, key) == cErrSuccess;
  if (root == cHkeyLocalMachine) {
    key = root;
    return true;
  }
  return false;
}

bool OpenKey(THKey parent, const ustring& subKey, std::uint32_t access, THKey& key) {
  return Os().RegOpenKeyExW(parent, AddBackslash(subKey), 0, access, key) == cErrSuccess;
}

bool CreateKey(THKey parent, const ustring& subKey, THKey& key) {
  std::uint32_t disposition = 0;
  return Os().RegCreateKeyExW(parent, AddBackslash(subKey), 0, cCreatedKeyAccess, key, &disposition) == cErrSuccess;
}

std::uint32_t CloseKey(THKey& key) {
  const std::uint32_t status = Os().RegCloseKey(key);
  if (status == cErrSuccess) key = 0;
  return status;
}

bool ReadDWord(THKey key, const ustring& name, std::uint32_t& value) {
  value = 0;
  // Zero-filled, so that a malformed shorter value can't leave stray bytes.
  std::uint8_t data[4] = {};
  std::uint32_t type = 0, size = sizeof data;
  if (Os().RegQueryValueExW(key, name, &type, data, &size) != cErrSuccess || type != cRegDword) return false;
  value = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
          static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  return true;
}

bool ReadString(THKey key, const ustring& name, ustring& value) {
  value.clear();
  std::uint32_t type = 0, size = 0;
  if (Os().RegQueryValueExW(key, name, &type, nullptr, &size) != cErrSuccess || type != cRegSz) return false;
  // One unit more than the data can fill, so that even data without a NUL of
  // its own ends in one. (An odd byte count half-fills that spare unit; the
  // text is therefore also bounded by the buffer below.)
  std::vector<char16_t> text(size / 2 + 1, u'\0');
  std::uint32_t read = size;
  // The registry's UTF-16 is little-endian, as are all targets of this program.
  if (Os().RegQueryValueExW(key, name, &type, reinterpret_cast<std::uint8_t*>(text.data()), &read) != cErrSuccess ||
      type != cRegSz)
    return false;
  std::size_t length = 0;
  while (length < text.size() && text[length] != u'\0') ++length;
  value.assign(text.data(), length);
  return true;
}

bool WriteDWord(THKey key, const ustring& name, std::uint32_t value) {
  return SetValue(key, name, cRegDword,
                  {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool WriteString(THKey key, const ustring& name, const ustring& value) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((value.size() + 1) * 2);
  for (char16_t c : value) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return SetValue(key, name, cRegSz, bytes);
}

bool WriteEmptyBinary(THKey key, const ustring& name) { return SetValue(key, name, cRegBinary, {}); }

bool WriteEmptyNone(THKey key, const ustring& name) { return SetValue(key, name, cRegNone, {}); }

bool ReadRootString(THKey root, const ustring& subKey, const ustring& name, ustring& value) {
  value.clear();
  TRegKey rootKey;
  if (!OpenRootKey(root, rootKey.Out())) return false;
  bool ok = false;
  {
    TRegKey key;
    if (OpenKey(rootKey.Get(), subKey, cKeyQueryValue, key.Out())) {
      ok = ReadString(key.Get(), name, value);
      ok = key.Close() == cErrSuccess && ok;
    }
  }
  ok = rootKey.Close() == cErrSuccess && ok;
  if (!ok) value.clear();
  return ok;
}

TRegKey& TRegKey::operator=(TRegKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = other.key_;
    other.key_ = 0;
  }
  return *this;
}

THKey& TRegKey::Out() {
  Close();
  key_ = 0;  // a key that would not close is given up rather than overwritten unseen
  return key_;
}

std::uint32_t TRegKey::Close() {
  if (key_ == 0) return cErrSuccess;
  if (IsPredefined(key_)) {
    key_ = 0;
    return cErrSuccess;
  }
  return CloseKey(key_);
}
