// The Windows Runtime interface ids of deployment: the handlers' ids are
// recomputed from their type signatures the way Windows derives the ids of
// parameterised types, and the handler objects answer exactly the right ones.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/winrt_ids.h"
#ifdef _WIN32
#include "platform/win32/win32_deploy_probe.h"
#endif

namespace {

// A plain SHA-1 (FIPS 180-4), enough for the id derivation.
std::array<std::uint8_t, 20> Sha1(const std::vector<std::uint8_t>& message) {
  std::uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  std::vector<std::uint8_t> data = message;
  const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
  data.push_back(0x80);
  while (data.size() % 64 != 56) data.push_back(0);
  for (int i = 7; i >= 0; --i) data.push_back(static_cast<std::uint8_t>(bits >> (i * 8)));
  const auto rol = [](std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
  for (std::size_t block = 0; block < data.size(); block += 64) {
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) {
      w[t] = (std::uint32_t{data[block + 4 * t]} << 24) | (std::uint32_t{data[block + 4 * t + 1]} << 16) |
             (std::uint32_t{data[block + 4 * t + 2]} << 8) | std::uint32_t{data[block + 4 * t + 3]};
    }
    for (int t = 16; t < 80; ++t) w[t] = rol(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int t = 0; t < 80; ++t) {
      std::uint32_t f, k;
      if (t < 20) {
        f = (b & c) | (~b & d), k = 0x5A827999u;
      } else if (t < 40) {
        f = b ^ c ^ d, k = 0x6ED9EBA1u;
      } else if (t < 60) {
        f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
      } else {
        f = b ^ c ^ d, k = 0xCA62C1D6u;
      }
      const std::uint32_t temp = rol(a, 5) + f + e + k + w[t];
      e = d, d = c, c = rol(b, 30), b = a, a = temp;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<std::uint8_t, 20> digest{};
  for (int i = 0; i < 20; ++i) digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

// The id of a parameterised type: SHA-1 over the namespace id (big-endian) and
// the UTF-8 signature, version 5 and variant 10 stamped into the first 16 bytes.
TGuid ParameterizedId(const std::string& signature) {
  std::vector<std::uint8_t> input{0x11, 0xF4, 0x7A, 0xD5, 0x7B, 0x73, 0x42, 0xC0,
                                  0xAB, 0xAE, 0x87, 0x8B, 0x1E, 0x16, 0xAD, 0xEE};
  input.insert(input.end(), signature.begin(), signature.end());
  std::array<std::uint8_t, 20> b = Sha1(input);
  b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x50);
  b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);
  TGuid id{};
  id.d1 = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
  id.d2 = static_cast<std::uint16_t>((b[4] << 8) | b[5]);
  id.d3 = static_cast<std::uint16_t>((b[6] << 8) | b[7]);
  for (int i = 0; i < 8; ++i) id.d4[i] = b[8 + i];
  return id;
}

const std::string kResultAndProgress =
    "rc(Windows.Management.Deployment.DeploymentResult;{2563b9ae-b77d-4c1f-8a7b-20e6ad515ef3});"
    "struct(Windows.Management.Deployment.DeploymentProgress;"
    "enum(Windows.Management.Deployment.DeploymentProgressState;i4);u4)";
const std::string kPackage = "rc(Windows.ApplicationModel.Package;{163c792f-bd75-413c-bf23-b1fe7b95d825})";

// SHA-1 itself: the two test vectors of the standard.
TEST(WinRTIds, Sha1KnownAnswers) {
  const std::string abc = "abc";
  const auto d = Sha1({abc.begin(), abc.end()});
  EXPECT_EQ(d[0], 0xA9);
  EXPECT_EQ(d[1], 0x99);
  EXPECT_EQ(d[19], 0x9D);
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";  // spans two blocks
  const auto e = Sha1({two.begin(), two.end()});
  EXPECT_EQ(e[0], 0x84);
  EXPECT_EQ(e[1], 0x98);
  EXPECT_EQ(e[19], 0xF1);
}

// The derivation reproduces the well-known id of IIterable<HSTRING> and the
// documented ids of the deployment types, and the handlers' constants are the
// ids Windows derives for their delegate types.
TEST(WinRTIds, ParameterizedIdsMatch) {
  struct TCase {
    std::string signature;
    TGuid expected;
  };
  const TCase cases[] = {
      {"pinterface({faa585ea-6214-4217-afda-7f46de5869b3};string)",
       {0xE2FCC7C1, 0x3BFC, 0x5A0B, {0xB2, 0xB0, 0x72, 0xE7, 0x69, 0xD1, 0xCB, 0x7E}}},
      {"pinterface({e85df41d-6aa7-46e3-a8e2-f009d840c627};" + kResultAndProgress + ")", cIidCompletedHandler},
      {"pinterface({55690902-0aab-421a-8778-f8ce5026d758};" + kResultAndProgress + ")", cIidProgressHandler},
      {"pinterface({b5d036d7-e297-498f-ba60-0289e76e23dd};" + kResultAndProgress + ")",
       {0x5A97AAB7, 0xB6EA, 0x55AC, {0xA5, 0xDC, 0xD5, 0xB1, 0x64, 0xD9, 0x4E, 0x94}}},
      {"pinterface({faa585ea-6214-4217-afda-7f46de5869b3};" + kPackage + ")",
       {0x69AD6AA7, 0x0C49, 0x5F27, {0xA5, 0xEB, 0xEF, 0x4D, 0x59, 0x46, 0x7B, 0x6D}}},
      {"pinterface({6a79e863-4300-459a-9966-cbb660963ee1};" + kPackage + ")",
       {0x0217F069, 0x025C, 0x5EE6, {0xA8, 0x7F, 0xE7, 0x82, 0xE3, 0xB6, 0x23, 0xAE}}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ParameterizedId(c.signature), c.expected) << c.signature;
  }
  // The older ids the handlers also answer are not what Windows derives.
  EXPECT_FALSE(ParameterizedId(cases[1].signature) == cIidCompletedHandlerAlt);
  EXPECT_FALSE(ParameterizedId(cases[2].signature) == cIidProgressHandlerAlt);
}

struct TAnswerCase {
  const char* name;
  TGuid iid;
  bool completion;  // asked of the completion handler (else the progress handler)
  bool answered;
};

const TAnswerCase kAnswerCases[] = {
    {"IUnknown/completion", cIidIUnknown, true, true},
    {"IUnknown/progress", cIidIUnknown, false, true},
    {"IAgileObject/completion", cIidIAgileObject, true, true},
    {"IAgileObject/progress", cIidIAgileObject, false, true},
    {"delegate id/completion", cIidCompletedHandler, true, true},
    {"older id/completion", cIidCompletedHandlerAlt, true, true},
    {"delegate id/progress", cIidProgressHandler, false, true},
    {"older id/progress", cIidProgressHandlerAlt, false, true},
    {"progress id asked of completion", cIidProgressHandler, true, false},
    {"older progress id asked of completion", cIidProgressHandlerAlt, true, false},
    {"completion id asked of progress", cIidCompletedHandler, false, false},
    {"IActivationFactory", cIidIActivationFactory, true, false},
    {"IPackageManager", cIidIPackageManager, false, false},
};

// Each handler answers IUnknown, IAgileObject and its own two ids, nothing else.
TEST(WinRTIds, HandlerAnswers) {
  for (const TAnswerCase& c : kAnswerCases) {
    EXPECT_EQ(HandlerAnswers(c.completion, c.iid), c.answered) << c.name;
  }
}

#ifdef _WIN32
// The real delegate objects answer through QueryInterface as the table says
// (E_NOINTERFACE otherwise), and every reference is given back.
TEST(WinRTIds, DelegateQueryInterface) {
  constexpr std::int32_t kENoInterface = static_cast<std::int32_t>(0x80004002u);
  for (const TAnswerCase& c : kAnswerCases) {
    std::uint32_t refsLeft = 99;
    EXPECT_EQ(ProbeDelegateInterface(c.completion, c.iid, refsLeft), c.answered ? 0 : kENoInterface) << c.name;
    EXPECT_EQ(refsLeft, 0u) << c.name;
  }
}

class TThrowingCompletion : public IAsyncCompletedHandler {
 public:
  std::int32_t Invoke(TDeployObj, std::int32_t) override { throw std::runtime_error("handler failed"); }
};
class TThrowingProgress : public IAsyncProgressHandler {
 public:
  std::int32_t Invoke(TDeployObj, TDeploymentProgress) override { throw std::runtime_error("handler failed"); }
};

// Whatever a handler raises stops at the delegate: the platform gets E_UNEXPECTED.
TEST(WinRTIds, DelegatesStopExceptions) {
  EXPECT_EQ(InvokeCompletedDelegate(std::make_shared<TThrowingCompletion>(), 0, cAsyncCompleted), cE_UNEXPECTED);
  EXPECT_EQ(InvokeProgressDelegate(std::make_shared<TThrowingProgress>(), 0, {cDeployQueued, 0}), cE_UNEXPECTED);
}
#endif

}  // namespace
