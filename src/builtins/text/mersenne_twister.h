// The standard 32-bit Mersenne Twister behind RANDOM: the same seed gives
// the same words on every host, whatever its word size.
#pragma once

#include <cstdint>
#include <ctime>

namespace vx {

class MersenneTwister {
 public:
  void seed(uint32_t s) {
    state_[0] = s;
    for (uint32_t i = 1; i < kWords; ++i) state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
    index_ = kWords;
    seeded_ = true;
  }

  uint32_t next() {
    if (!seeded_) seed(static_cast<uint32_t>(std::time(nullptr)));
    if (index_ >= kWords) twist();
    uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
  }

  double unit() { return next() * (1.0 / 4294967296.0); }  // [0, 1)
  int32_t nonNegative() { return static_cast<int32_t>(next() >> 1); }

 private:
  static constexpr uint32_t kWords = 624;
  static constexpr uint32_t kShift = 397;

  void twist() {
    for (uint32_t i = 0; i < kWords; ++i) {
      const uint32_t y = (state_[i] & 0x80000000u) | (state_[(i + 1) % kWords] & 0x7FFFFFFFu);
      state_[i] = state_[(i + kShift) % kWords] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    index_ = 0;
  }

  uint32_t state_[kWords] = {};
  uint32_t index_ = kWords;
  bool seeded_ = false;
};

}  // namespace vx
