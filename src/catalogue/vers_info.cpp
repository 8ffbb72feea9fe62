#include "catalogue/vers_info.h"

#include <algorithm>
#include <cstring>

#include "common/utils.h"
#include "platform/platform.h"

bool ReadVersionInfo(const ustring& file, TVersInfoArr& arr, std::uint32_t& count) {
  arr.clear();
  count = 0;
  try {
    const std::uint32_t size = Os().GetFileVersionInfoSizeW(file);
    if (size == 0) return false;
    std::vector<std::uint8_t> block(size);
    if (!Os().GetFileVersionInfoW(file, size, block.data())) return false;
    TTransArr trans;
    if (!ReadTranslations(block.data(), trans, count)) return false;
    arr.resize(count);
    return ReadVersionStrings(block.data(), trans, count, arr);
  } catch (...) {
    // The version is only shown, never needed: a broken resource must not
    // stop the setup.
    arr.clear();
    count = 0;
    return false;
  }
}

bool ReadTranslations(const void* block, TTransArr& arr, std::uint32_t& count) {
  arr.clear();
  count = 0;
  const void* data = nullptr;
  std::uint32_t length = 0;
  if (!Os().VerQueryValueW(block, u"\\VarFileInfo\\Translation", data, length) || data == nullptr) return false;
  count = length / 4;  // a trailing partial entry is ignored
  arr.resize(count);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::uint32_t i = 0; i < count; ++i) {
    // The table stores each entry as two little-endian 16-bit numbers.
    arr[i].Lang = static_cast<std::uint16_t>(bytes[4 * i] | (bytes[4 * i + 1] << 8));
    arr[i].CharSet = static_cast<std::uint16_t>(bytes[4 * i + 2] | (bytes[4 * i + 3] << 8));
  }
  return count > 0;
}

bool ReadVersionStrings(const void* block, const TTransArr& trans, std::uint32_t count, TVersInfoArr& arr) {
  count = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(trans.size()));
  if (arr.size() < count) arr.resize(count);
  int found = 0;
  for (std::uint32_t t = 0; t < count; ++t) {
    TLocaVersInfo& info = arr[t];
    std::memset(&info, 0, sizeof info);
    info.Transl = trans[t];
    const ustring key =
        HexOf(std::uint32_t{trans[t].Lang}, 4) + HexOf(std::uint32_t{trans[t].CharSet}, 4);  // e.g. "040904E4"
    for (int j = 0; j < cVersValueCount; ++j) {
      const ustring path = u"\\StringFileInfo\\" + key + u"\\" + cVersValueNames[static_cast<std::size_t>(j)];
      const void* data = nullptr;
      std::uint32_t length = 0;  // UTF-16 units, usually with the NUL
      if (!Os().VerQueryValueW(block, path, data, length) || length == 0 || data == nullptr) continue;
      // The buffer keeps its last unit zero, so every value stays terminated.
      length = std::min<std::uint32_t>(length, cVersValueUnits);
      std::memcpy(info.Values[j], data, length * sizeof(char16_t));
      ++found;
    }
  }
  return found > 0;
}

ustring SetupVersionText(const ustring& path) {
  TVersInfoArr arr;
  std::uint32_t count = 0;
  if (!ReadVersionInfo(path, arr, count) || count != 1) return ustring();
  // Only the resource written for this setup (one translation, US English,
  // code page 1252) is trusted to carry the version we show.
  if (arr[0].Transl.Lang != 0x0409 || arr[0].Transl.CharSet != 0x04E4) return ustring();
  const ustring version(arr[0].Values[cVersFileVersion]);  // up to the first zero unit
  // The last part is the build number, which the label leaves out.
  const int lastDot = LastCharOf(u".", version);
  return u" v" + version.substr(0, lastDot > 0 ? static_cast<std::size_t>(lastDot - 1) : 0);
}
