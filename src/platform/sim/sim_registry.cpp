// The emulated registry: HKLM and HKCU trees of keys with case-insensitive
// names and typed values, handles with the rights they were opened with, and
// keys that refuse some rights to everyone (as an ACL would).
#include <cstring>

#include "platform/sim/sim_state.h"

namespace {

constexpr std::uint32_t cErrBadPathname = 161;
constexpr std::uint32_t cErrNoAccess = 998;
constexpr std::uint32_t cMaximumAllowed = 0x02000000u;
constexpr std::uint32_t cKeyAllAccess = 0xF003Fu;

// Generic rights become the key rights Windows maps them to; the view flags
// choose a registry view and are no rights at all.
std::uint32_t KeyRights(std::uint32_t access) {
  std::uint32_t rights = access & ~(cKeyWow64_64Key | cKeyWow64_32Key | 0xF0000000u | cMaximumAllowed);
  if (access & 0x80000000u) rights |= cKeyRead;                // GENERIC_READ
  if (access & 0x40000000u) rights |= 0x20006u;                // GENERIC_WRITE = KEY_WRITE
  if (access & 0x20000000u) rights |= cKeyRead;                // GENERIC_EXECUTE
  if (access & 0x10000000u) rights |= cKeyAllAccess;           // GENERIC_ALL
  return rights;
}

bool Refused(const sim::TRegNode& node, std::uint32_t access) {
  return node.deny == cSimDenyAll || (KeyRights(access) & node.deny) != 0;
}

std::uint32_t Granted(const sim::TRegNode& node, std::uint32_t access) {
  return (access & cMaximumAllowed) ? cKeyAllAccess & ~node.deny : KeyRights(access);
}

ustring JoinKey(const sim::TRegNode* node, const ustring& sub) {
  if (node == nullptr) return u"?\\" + sub;
  return sub.empty() ? node->path : node->path + u"\\" + sub;
}

}  // namespace

sim::TRegNode* TSimPlatform::TState::RootNode(THKey root) {
  if (root == cHkeyLocalMachine) return &machine;
  if (root == cHkeyCurrentUser) return &user;
  return nullptr;
}

sim::TRegNode* TSimPlatform::TState::KeyNode(THKey key, std::uint32_t& access) {
  if (sim::TRegNode* root = RootNode(key)) {
    access = cKeyAllAccess;
    return root;
  }
  const auto it = keys.find(key);
  if (it == keys.end() || it->second.node->deleted) return nullptr;
  access = it->second.access;
  return it->second.node;
}

// Follows path below `from`; with create, missing keys are added (no checks).
sim::TRegNode* TSimPlatform::TState::Walk(sim::TRegNode* from, const ustring& path, bool create) {
  sim::TRegNode* node = from;
  std::size_t start = 0;
  while (node != nullptr && start < path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == ustring::npos) end = path.size();
    const ustring name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    const ustring upper = sim::UpperName(name);
    auto it = node->children.find(upper);
    if (it == node->children.end()) {
      if (!create) return nullptr;
      auto child = std::make_unique<sim::TRegNode>();
      child->name = name;
      child->path = node->path + u"\\" + name;
      it = node->children.emplace(upper, std::move(child)).first;
    }
    node = it->second.get();
  }
  return node;
}

std::uint32_t TSimPlatform::RegOpenCurrentUser(std::uint32_t access, THKey& key) {
  std::lock_guard<std::mutex> guard(state_->lock);
  key = 0;
  if (auto fault = state_->Enter("RegOpenCurrentUser", u"HKCU", u"", access)) return *fault;
  if (Refused(state_->user, access)) return cErrAccessDenied;
  key = state_->NewHandle();
  state_->keys[key] = {&state_->user, Granted(state_->user, access)};
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegOpenKeyExW(THKey parent, const ustring& subKey, std::uint32_t, std::uint32_t access,
                                          THKey& key) {
  std::lock_guard<std::mutex> guard(state_->lock);
  key = 0;
  std::uint32_t parentAccess = 0;
  sim::TRegNode* base = state_->KeyNode(parent, parentAccess);
  if (auto fault = state_->Enter("RegOpenKeyExW", JoinKey(base, subKey), subKey, access)) return *fault;
  if (base == nullptr) return cErrInvalidHandle;
  if (!subKey.empty() && subKey[0] == u'\\') return cErrBadPathname;
  sim::TRegNode* node = state_->Walk(base, subKey, false);
  if (node == nullptr) return cErrFileNotFound;
  if (Refused(*node, access)) return cErrAccessDenied;
  key = state_->NewHandle();
  state_->keys[key] = {node, Granted(*node, access)};
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegCreateKeyExW(THKey parent, const ustring& subKey, std::uint32_t, std::uint32_t access,
                                            THKey& key, std::uint32_t* disposition) {
  std::lock_guard<std::mutex> guard(state_->lock);
  key = 0;
  std::uint32_t parentAccess = 0;
  sim::TRegNode* node = state_->KeyNode(parent, parentAccess);
  if (auto fault = state_->Enter("RegCreateKeyExW", JoinKey(node, subKey), subKey, access)) return *fault;
  if (node == nullptr) return cErrInvalidHandle;
  if (!subKey.empty() && subKey[0] == u'\\') return cErrBadPathname;
  // Missing keys along the path are created one by one; each creation needs
  // the right to create sub-keys in the key above it.
  bool created = false;
  std::size_t start = 0;
  while (start < subKey.size()) {
    std::size_t end = subKey.find(u'\\', start);
    if (end == ustring::npos) end = subKey.size();
    const ustring name = subKey.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    const auto it = node->children.find(sim::UpperName(name));
    if (it != node->children.end()) {
      node = it->second.get();
      created = false;
      continue;
    }
    if (node->deny == cSimDenyAll || (node->deny & cKeyCreateSubKey) != 0) return cErrAccessDenied;
    node = state_->Walk(node, name, true);
    created = true;
  }
  if (!created && Refused(*node, access)) return cErrAccessDenied;
  key = state_->NewHandle();
  state_->keys[key] = {node, created ? KeyRights(access) : Granted(*node, access)};
  if (disposition != nullptr) *disposition = created ? cRegCreatedNewKey : cRegOpenedExistingKey;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegCloseKey(THKey key) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::uint32_t access = 0;
  sim::TRegNode* node = state_->KeyNode(key, access);
  if (auto fault = state_->Enter("RegCloseKey", node != nullptr ? node->path : u"?", u"", key)) return *fault;
  if (state_->RootNode(key) != nullptr) return cErrSuccess;  // predefined handles stay usable
  if (state_->keys.erase(key) == 0) return cErrInvalidHandle;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegQueryValueExW(THKey key, const ustring& name, std::uint32_t* type, std::uint8_t* data,
                                             std::uint32_t* size) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::uint32_t access = 0;
  sim::TRegNode* node = state_->KeyNode(key, access);
  if (auto fault = state_->Enter("RegQueryValueExW", node != nullptr ? node->path : u"?", name, data ? 1 : 0))
    return *fault;
  if (node == nullptr) return cErrInvalidHandle;
  if ((access & cKeyQueryValue) == 0) return cErrAccessDenied;
  if (data != nullptr && size == nullptr) return cErrInvalidParameter;
  const auto it = node->values.find(sim::UpperName(name));
  if (it == node->values.end()) return cErrFileNotFound;
  const TSimRegValue& value = it->second.value;
  const auto length = static_cast<std::uint32_t>(value.data.size());
  if (type != nullptr) *type = value.type;
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return cErrSuccess;
  }
  if (*size < length) {
    *size = length;
    return cErrMoreData;
  }
  if (length > 0) std::memcpy(data, value.data.data(), length);
  *size = length;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegSetValueExW(THKey key, const ustring& name, std::uint32_t type,
                                           const std::uint8_t* data, std::uint32_t size) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::uint32_t access = 0;
  sim::TRegNode* node = state_->KeyNode(key, access);
  if (auto fault = state_->Enter("RegSetValueExW", node != nullptr ? node->path : u"?", name, type)) return *fault;
  if (node == nullptr) return cErrInvalidHandle;
  if ((access & cKeySetValue) == 0) return cErrAccessDenied;
  if (data == nullptr && size > 0) return cErrNoAccess;
  auto& slot = node->values[sim::UpperName(name)];
  if (slot.name.empty()) slot.name = name;
  slot.value.type = type;
  slot.value.data.assign(data, data + size);
  return cErrSuccess;
}

// --- set-up and inspection ---

void TSimPlatform::AddKey(THKey root, const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Walk(state_->RootNode(root), path, true);
}

void TSimPlatform::PutValue(THKey root, const ustring& path, const ustring& name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TRegNode* node = state_->Walk(state_->RootNode(root), path, true);
  if (node == nullptr) return;
  auto& slot = node->values[sim::UpperName(name)];
  slot.name = name;
  slot.value = {type, std::move(data)};
}

void TSimPlatform::PutString(THKey root, const ustring& path, const ustring& name, const ustring& text,
                             std::uint32_t type) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char16_t c = i < text.size() ? text[i] : u'\0';
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  PutValue(root, path, name, type, std::move(bytes));
}

void TSimPlatform::PutDword(THKey root, const ustring& path, const ustring& name, std::uint32_t value) {
  PutValue(root, path, name, cRegDword,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool TSimPlatform::HasKey(THKey root, const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->Walk(state_->RootNode(root), path, false) != nullptr;
}

std::optional<TSimRegValue> TSimPlatform::GetValue(THKey root, const ustring& path, const ustring& name) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TRegNode* node = state_->Walk(state_->RootNode(root), path, false);
  if (node == nullptr) return std::nullopt;
  const auto it = node->values.find(sim::UpperName(name));
  if (it == node->values.end()) return std::nullopt;
  return it->second.value;
}

std::optional<ustring> TSimPlatform::GetString(THKey root, const ustring& path, const ustring& name) {
  const std::optional<TSimRegValue> value = GetValue(root, path, name);
  if (!value || value->type != cRegSz) return std::nullopt;
  ustring text;
  for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
    const auto c = static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return text;
}

void TSimPlatform::DenyKeyAccess(THKey root, const ustring& path, std::uint32_t mask) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (sim::TRegNode* node = state_->Walk(state_->RootNode(root), path, true)) node->deny = mask;
}
