// SaveData: the in-memory image of "record1.dat", 1052 bytes, little-endian, no header.
// The fields follow the file's layout one for one, so the record is read and written whole.
// Only the first MojiCount entries of the 39-entry arrays carry meaning.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSaveDataSize = 1052;
constexpr std::size_t kSaveMojiSlots = 39;
constexpr std::size_t kSaveShutsudaiSlots = 170;

struct TSaveData {
  std::int32_t MondaiNo = 0;                         // current question
  std::uint8_t Shutsudai[kSaveShutsudaiSlots] = {};  // asked marks of proverbs 1..170
  std::uint8_t Reserved1[2] = {};                    // written as 0
  std::int32_t ShutsudaiCount = 0;                   // built-in proverbs asked in the cycle
  std::int32_t MojiCount = 0;                        // characters of the current question
  std::int32_t X[kSaveMojiSlots] = {};               // Moji[i].X
  std::int32_t Y[kSaveMojiSlots] = {};               // Moji[i].Y
  std::int32_t DX[kSaveMojiSlots] = {};              // Moji[i].DX
  std::int32_t DY[kSaveMojiSlots] = {};              // Moji[i].DY
  std::int32_t KakushiNo = 0;                        // the dark character of stage 1
  std::int32_t Akarusa[kSaveMojiSlots] = {};         // brightness of each character
  std::uint8_t Akarumu[kSaveMojiSlots] = {};         // 1 = brightness rising
  std::uint8_t Reserved2 = 0;                        // written as 0
  std::int32_t SeikaiCount = 0;                      // correct answers
  std::int32_t RenzokuCount = 0;                     // consecutive correct answers
  std::int32_t FuseikaiCount = 0;                    // wrong answers in the stage
  std::int32_t TimeLeft = 0;                         // milliseconds left
  std::int32_t PauseTotal = 0;                       // milliseconds paused
  std::uint8_t Playing = 0;                          // a question was running
  std::uint8_t Reserved3[3] = {};                    // written as 0
  std::int32_t Tokuten = 0;                          // score
  std::int32_t SaikoTokuten = 0;                     // best score
  std::uint8_t BonusMode = 0;                        // bonus question
  std::uint8_t Reserved4[3] = {};                    // written as 0
  std::int32_t HintMoji = 0;                         // characters revealed by hints
  std::int32_t HintCount = 0;                        // questions of the stage with hints
};

// The record must match the file byte for byte.
static_assert(sizeof(TSaveData) == kSaveDataSize);
static_assert(offsetof(TSaveData, Shutsudai) == 4);
static_assert(offsetof(TSaveData, ShutsudaiCount) == 176);
static_assert(offsetof(TSaveData, X) == 184);
static_assert(offsetof(TSaveData, Y) == 340);
static_assert(offsetof(TSaveData, DX) == 496);
static_assert(offsetof(TSaveData, DY) == 652);
static_assert(offsetof(TSaveData, KakushiNo) == 808);
static_assert(offsetof(TSaveData, Akarusa) == 812);
static_assert(offsetof(TSaveData, Akarumu) == 968);
static_assert(offsetof(TSaveData, SeikaiCount) == 1008);
static_assert(offsetof(TSaveData, Playing) == 1028);
static_assert(offsetof(TSaveData, Tokuten) == 1032);
static_assert(offsetof(TSaveData, SaikoTokuten) == 1036);
static_assert(offsetof(TSaveData, BonusMode) == 1040);
static_assert(offsetof(TSaveData, HintMoji) == 1044);
static_assert(offsetof(TSaveData, HintCount) == 1048);
