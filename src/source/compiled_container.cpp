#include "source/compiled_container.h"

#include <cstring>
#include <memory>

#include "platform/platform.h"

namespace vx {

namespace {

constexpr size_t kBlock = 65536;
constexpr size_t kSignatureLength = 20;
constexpr size_t kTagLength = 4;
constexpr size_t kSeedBlockLength = 16;

// The signature is kept inverted so the executable, which holds this code,
// does not itself look like a container.
constexpr unsigned char kInvertedSignature[kSignatureLength] = {
    0xA9, 0xBA, 0xA7, 0xB3, 0xBA, 0xAB, 0xCC, 0xD2, 0xBC, 0xB0,
    0xB1, 0xAB, 0xBE, 0xB6, 0xB1, 0xBA, 0xAD, 0xD2, 0xF5, 0xA0};
constexpr unsigned char kVersionTag[kTagLength] = {'V', 'X', '3', 'C'};

}  // namespace

ContainerProbe probeContainer(const String& path) {
  platform::ReadableFile file;
  if (!file.open(path)) return {ContainerStatus::CannotOpen, 0};
  // Read through a volatile pointer so the optimiser cannot fold the
  // signature back into the code as immediate bytes.
  const volatile unsigned char* inverted = kInvertedSignature;
  unsigned char signature[kSignatureLength];
  for (size_t i = 0; i < kSignatureLength; ++i) signature[i] = static_cast<unsigned char>(~inverted[i]);

  // Blocks overlap by the signature's length so one that straddles two
  // blocks is still found.
  std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock + kSignatureLength]);
  size_t kept = 0;
  uint64_t blockStart = 0;
  for (;;) {
    long long got = file.read(block.get() + kept, kBlock);
    if (got <= 0) return {ContainerStatus::NoSignature, 0};
    size_t have = kept + static_cast<size_t>(got);
    if (have < kSignatureLength + kTagLength) return {ContainerStatus::NoSignature, 0};
    for (size_t i = 0; i + kSignatureLength <= have; ++i) {
      if (block[i] != signature[0] || memcmp(block.get() + i, signature, kSignatureLength) != 0) continue;
      // The tag and seed block follow; gather them even across a block end.
      unsigned char after[kTagLength + kSeedBlockLength];
      size_t available = have - i - kSignatureLength;
      size_t take = available < sizeof after ? available : sizeof after;
      memcpy(after, block.get() + i + kSignatureLength, take);
      while (take < sizeof after) {
        long long more = file.read(after + take, sizeof after - take);
        if (more <= 0) break;
        take += static_cast<size_t>(more);
      }
      if (take < kTagLength || memcmp(after, kVersionTag, kTagLength) != 0)
        return {ContainerStatus::WrongVersion, 0};
      return {ContainerStatus::Found, blockStart + i + kSignatureLength + kTagLength + kSeedBlockLength};
    }
    kept = kSignatureLength - 1;
    memmove(block.get(), block.get() + have - kept, kept);
    blockStart += have - kept;
  }
}

}  // namespace vx
