#include "platform/sim/version_block.h"

#include <stdexcept>

namespace {

constexpr std::size_t cNodeHeader = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t cTypeBinary = 0;
constexpr std::uint16_t cTypeText = 1;

constexpr std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// Little-endian reads byte by byte: the block may sit at any address.
std::uint16_t Read16(const std::uint8_t* bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// One node, with every offset already checked against the bytes it may use.
struct TNode {
  std::size_t start = 0;
  std::size_t end = 0;         // start + wLength
  std::size_t keyStart = 0;    // first unit of the key
  std::size_t keyUnits = 0;    // without the NUL
  std::size_t valueStart = 0;
  std::uint16_t valueLength = 0;
  std::uint16_t type = 0;
  std::size_t childrenStart = 0;
};

// Reads the node at `start`, which must lie wholly before `limit` (the end of
// its parent, or of the block for the root).
bool ParseNode(const std::uint8_t* bytes, std::size_t start, std::size_t limit, TNode& node) {
  if (start > limit || limit - start < cNodeHeader) return false;
  const std::uint16_t length = Read16(bytes, start);
  if (length < cNodeHeader || length > limit - start) return false;
  node.start = start;
  node.end = start + length;
  node.valueLength = Read16(bytes, start + 2);
  node.type = Read16(bytes, start + 4);

  node.keyStart = start + cNodeHeader;
  std::size_t unit = node.keyStart;
  for (;; unit += 2) {
    if (node.end - unit < 2) return false;  // key without its NUL
    if (Read16(bytes, unit) == 0) break;
  }
  node.keyUnits = (unit - node.keyStart) / 2;

  // A text value counts UTF-16 units, a binary one bytes.
  const std::size_t valueBytes = node.type == cTypeText ? std::size_t{node.valueLength} * 2 : node.valueLength;
  node.valueStart = Align4(unit + 2);
  if (valueBytes == 0) {
    // Writers do not always count the padding after the key of a node
    // without a value; nothing is read there.
    if (node.valueStart > node.end) node.valueStart = node.end;
  } else if (node.valueStart > node.end || valueBytes > node.end - node.valueStart) {
    return false;
  }
  node.childrenStart = Align4(node.valueStart + valueBytes);
  return true;
}

bool KeyMatches(const std::uint8_t* bytes, const TNode& node, const char16_t* key, std::size_t keyUnits) {
  if (node.keyUnits != keyUnits) return false;
  for (std::size_t i = 0; i < keyUnits; ++i)
    if (FoldAscii(static_cast<char16_t>(Read16(bytes, node.keyStart + 2 * i))) != FoldAscii(key[i])) return false;
  return true;
}

bool FindChild(const std::uint8_t* bytes, const TNode& parent, const char16_t* key, std::size_t keyUnits,
               TNode& child) {
  std::size_t offset = parent.childrenStart;
  while (offset < parent.end && parent.end - offset >= cNodeHeader) {
    if (!ParseNode(bytes, offset, parent.end, child)) return false;
    if (KeyMatches(bytes, child, key, keyUnits)) return true;
    offset = Align4(child.end);  // wLength >= 6, so the walk always advances
  }
  return false;
}

// --- writing ---

class TBlockWriter {
 public:
  // Writes the header and key of a node; returns its start for EndNode.
  std::size_t BeginNode(const ustring& key, std::uint16_t valueLength, std::uint16_t type) {
    PadTo4();
    const std::size_t start = bytes_.size();
    Put16(0);  // wLength, filled in by EndNode
    Put16(valueLength);
    Put16(type);
    for (char16_t c : key) Put16(c);
    Put16(0);
    PadTo4();
    return start;
  }
  void EndNode(std::size_t start) {
    const std::size_t length = bytes_.size() - start;
    if (length > 0xFFFF) throw std::length_error("version block node exceeds 65535 bytes");
    bytes_[start] = static_cast<std::uint8_t>(length);
    bytes_[start + 1] = static_cast<std::uint8_t>(length >> 8);
  }
  void Put16(std::uint32_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Put32(std::uint32_t value) {
    Put16(value & 0xFFFF);
    Put16(value >> 16);
  }
  void PadTo4() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

constexpr std::uint16_t cFixedInfoSize = 52;

void WriteFixedInfo(TBlockWriter& out, const TVersionBlockContent& content) {
  out.Put32(0xFEEF04BDu);  // signature
  out.Put32(0x00010000u);  // structure version
  out.Put32(static_cast<std::uint32_t>(content.fileVersion >> 32));
  out.Put32(static_cast<std::uint32_t>(content.fileVersion));
  out.Put32(static_cast<std::uint32_t>(content.productVersion >> 32));
  out.Put32(static_cast<std::uint32_t>(content.productVersion));
  out.Put32(content.fileFlagsMask);
  out.Put32(content.fileFlags);
  out.Put32(content.fileOs);
  out.Put32(content.fileType);
  out.Put32(0);  // subtype
  out.Put32(0);  // date, high
  out.Put32(0);  // date, low
}

}  // namespace

bool VersionBlockQuery(const void* block, std::size_t blockSize, const ustring& subBlock, const void*& data,
                       std::uint32_t& length) {
  length = 0;
  if (block == nullptr) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  TNode node;
  if (!ParseNode(bytes, 0, blockSize, node)) return false;

  std::size_t pos = 0;
  int depth = 0;
  bool inStrings = false;
  while (pos < subBlock.size()) {
    if (subBlock[pos] == u'\\') {
      ++pos;
      continue;
    }
    std::size_t next = subBlock.find(u'\\', pos);
    if (next == ustring::npos) next = subBlock.size();
    TNode child;
    if (!FindChild(bytes, node, subBlock.data() + pos, next - pos, child)) return false;
    if (++depth == 1) inStrings = KeyMatches(bytes, child, u"StringFileInfo", 14);
    node = child;
    pos = next;
  }
  // Callers read a string value as length UTF-16 units; a string stored as
  // binary would make them read twice the bytes that were checked.
  if (inStrings && depth == 3 && node.type != cTypeText) return false;
  data = bytes + node.valueStart;
  length = node.valueLength;
  return true;
}

std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContent& content) {
  TBlockWriter out;
  const std::size_t root = out.BeginNode(u"VS_VERSION_INFO", cFixedInfoSize, cTypeBinary);
  WriteFixedInfo(out, content);

  if (!content.stringTables.empty()) {
    const std::size_t fileInfo = out.BeginNode(u"StringFileInfo", 0, cTypeText);
    for (const TVersionStringTable& table : content.stringTables) {
      const std::size_t tableNode = out.BeginNode(table.key, 0, cTypeText);
      for (const TVersionString& entry : table.strings) {
        if (entry.value.size() + 1 > 0xFFFF) throw std::length_error("version string too long");
        // The value length counts UTF-16 units including the NUL, as the
        // resource compilers write it.
        const std::size_t stringNode =
            out.BeginNode(entry.name, static_cast<std::uint16_t>(entry.value.size() + 1), cTypeText);
        for (char16_t c : entry.value) out.Put16(c);
        out.Put16(0);
        out.EndNode(stringNode);
      }
      out.EndNode(tableNode);
    }
    out.EndNode(fileInfo);
  }

  if (!content.translations.empty()) {
    const std::size_t varInfo = out.BeginNode(u"VarFileInfo", 0, cTypeText);
    if (content.translations.size() * 4 > 0xFFFF) throw std::length_error("too many translations");
    const std::size_t var =
        out.BeginNode(u"Translation", static_cast<std::uint16_t>(content.translations.size() * 4), cTypeBinary);
    for (const TVersionTranslation& t : content.translations) {
      out.Put16(t.lang);
      out.Put16(t.charSet);
    }
    out.EndNode(var);
    out.EndNode(varInfo);
  }

  out.EndNode(root);
  return out.Take();
}
