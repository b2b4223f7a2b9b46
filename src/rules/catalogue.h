// The proverb catalogue: the 170 built-in proverbs and the additional questions that the
// player writes into "追加問題.txt" beside the executable.
//
// Questions are numbered by MondaiNo: 1..170 are built-in proverbs, 171 and above are the
// additional questions (additional entry MondaiNo - 171). Each question has a reading in
// hiragana (the characters that fly as fireflies), one or two written forms (the kanji-mixed
// answers) and a speech string for the speech engine.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr std::int32_t kBuiltInMondaiCount = 170;
// Question numbers above the built-in ones are the additional questions, from index 0.
constexpr std::int32_t TuikaIndex(std::int32_t mondaiNo) {
  return mondaiNo - kBuiltInMondaiCount - 1;
}
// A reading has at most this many characters: there is one character texture for each.
constexpr std::int32_t kMaxMondaiLength = 39;
// Slots 1..510 of MondaiTable; slot 0 is never used.
constexpr std::int32_t kMondaiTableSize = 511;
// The additional-questions file, beside the executable.
inline const std::filesystem::path kTuikaFileName{u8"追加問題.txt"};
// Lines at the top of that file explaining it to the player; they are never read as questions.
constexpr std::int32_t kTuikaHeaderLines = 14;

struct TCatalogue {
  // Built-in proverb i (1..170): slot i is its reading, slot 170 + i its first written form
  // and slot 340 + i its second written form (empty when it has only one).
  std::array<std::u16string, kMondaiTableSize> MondaiTable;
  // Built-in proverb i's meaning (one plain Japanese sentence) and English gloss; slot 0 unused.
  std::array<std::u16string, kBuiltInMondaiCount + 1> ImiTable;
  std::array<std::u16string, kBuiltInMondaiCount + 1> GlossTable;
  // Speech strings by MondaiNo; slot 0 is never used. Always 171 + TuikaCount slots. An empty
  // speech string means nothing is spoken.
  std::vector<std::u16string> SpeechList = std::vector<std::u16string>(kBuiltInMondaiCount + 1);

  // Additional questions; the four lists always have TuikaCount slots.
  std::int32_t TuikaCount = 0;
  std::vector<std::u16string> TuikaSeikaiList;  // written form (the answer) of each
  std::vector<std::u16string> TuikaMondaiList;  // reading (the question) of each
  std::vector<std::u16string> TuikaImiList;     // meaning of each, empty when the file gives none
  std::vector<std::uint8_t> TuikaShutsudai;     // 1 = already asked in this cycle
  std::int32_t TuikaShutsudaiCount = 0;         // additional questions asked in this cycle

  // Number of questions: 170 + TuikaCount. Valid question numbers are 1..MondaiCount().
  std::int32_t MondaiCount() const { return kBuiltInMondaiCount + TuikaCount; }
  bool IsMondaiNo(std::int32_t mondaiNo) const;

  // Lookups by question number. An invalid number gives an empty text, never a crash.
  const std::u16string& Reading(std::int32_t mondaiNo) const;
  const std::u16string& Seikai(std::int32_t mondaiNo) const;   // first written form
  const std::u16string& Seikai2(std::int32_t mondaiNo) const;  // second written form or empty
  const std::u16string& Speech(std::int32_t mondaiNo) const;
  const std::u16string& Imi(std::int32_t mondaiNo) const;    // meaning, empty if none
  const std::u16string& Gloss(std::int32_t mondaiNo) const;  // English gloss (built-in only)
};

// Fills MondaiTable, SpeechList and the meanings with the built-in proverbs. Any additional
// questions are dropped (SpeechList goes back to 171 slots), so the catalogue's invariants hold.
void BuildMondaiTable(TCatalogue& catalogue);
// Drops every additional question (and its meaning), keeping the built-in proverbs as they are.
void ClearTuikaMondai(TCatalogue& catalogue);
// Fills ImiTable and GlossTable (catalogue_imi.cpp); BuildMondaiTable calls it.
void BuildImiTable(TCatalogue& catalogue);

// The line that gives the additional question above it a meaning starts with this mark (or
// with its half-width colon form "意味:"); the line after it stays blank. An older reader takes
// the two as one more pair, finds its reading blank and skips it, so the pairing of the
// questions that follow is the same for old and new readers alike.
inline constexpr std::u16string_view kTuikaImiMark = u"意味：";
// The meaning a pair of lines gives, or empty when the pair is not a meaning: the first line
// starts with the mark and the second is blank (empty, one half-width or full-width space).
std::u16string TuikaImiOfPair(std::u16string_view first, std::u16string_view second);

// The characters of a reading, one firefly each: a surrogate pair (𠮟, 𥝱) is one character.
std::vector<std::u16string> MojiOf(std::u16string_view reading);
std::int32_t MojiLength(std::u16string_view reading);

// True when an additional question with this written form and reading may be asked: neither
// text is empty, one half-width space or one full-width space, or holds U+FFFD (bytes the
// file's encoding could not read) or a NUL, and the reading is typable
// (IsTypableReading) in at most 39 characters.
bool IsAcceptableTuikaPair(std::u16string_view seikai, std::u16string_view reading);
// True when the answer field can produce the reading in the hiragana mode: hiragana, ー and the
// punctuation the romaji converter makes (、。「」！？), or, for an English proverb, printable
// ASCII with at least one letter.
bool IsTypableReading(std::u16string_view reading);

// A Japanese reading line may carry the speech marks (' after the accented mora, / between
// phrases): the question is the reading without them, and they stay in its speech string. An
// English reading is left as it stands (its apostrophes are typed).
std::u16string WithoutSpeechMarks(std::u16string_view reading);
// A line that holds nothing a player could type: empty, one half-width or one full-width space.
bool IsBlankTuikaLine(std::u16string_view line);

// Why an additional question is left out. A pair whose two lines are both blank is taken as
// spacing and not reported.
enum class TTuikaLeftOut : std::uint8_t {
  Blank,              // one of its two lines is empty or a single space
  ReadingTooLong,     // more than 39 characters in the reading
  SeikaiTooWide,      // the written form does not fit on the screen
  ReadingTooWide,     // the reading does not fit on the screen
  Unreadable,         // bytes the file's encoding cannot read (U+FFFD), or a NUL
  ReadingNotTypable,  // the reading holds what the answer field cannot make (kanji, "意味：", …)
};

struct TTuikaLeftOutPair {
  std::int32_t Line = 0;  // of the written form (or the line left alone), counting from 1
  std::u16string Seikai;
  TTuikaLeftOut Why = TTuikaLeftOut::Blank;
};

// Why IsAcceptableTuikaPair refuses a pair; nothing when it accepts it.
std::optional<TTuikaLeftOut> TuikaPairProblem(std::u16string_view seikai,
                                              std::u16string_view reading);

// Whether the screen can show a question's written form and reading; nothing when it can.
using TTuikaScreenCheck = std::function<std::optional<TTuikaLeftOut>(std::u16string_view seikai,
                                                                     std::u16string_view reading)>;

// What reading the additional-questions file found.
struct TuikaLoadResult {
  bool FileFound = false;  // the file exists
  std::string Error;       // why an existing file could not be read (UTF-8); empty if read
  std::int32_t LineCount = 0;
  std::int32_t PairCount = 0;              // pairs of lines after the header
  std::int32_t Accepted = 0;               // pairs that became additional questions
  std::vector<TTuikaLeftOutPair> LeftOut;  // in file order
};

// Reads appDir / "追加問題.txt" when it exists and sets the additional questions from it (see
// LoadTuikaMondaiFromBytes). A missing or unreadable file leaves the catalogue unchanged.
TuikaLoadResult LoadTuikaMondai(TCatalogue& catalogue, const std::filesystem::path& appDir,
                                const TTuikaScreenCheck& fits = nullptr);

// The folder whose "追加問題.txt" the game reads: the player's own copy in the per-user folder
// once there is one, else the copy shipped in appDir.
std::filesystem::path TuikaFolder(const std::filesystem::path& appDir,
                                  const std::filesystem::path& userDir);

// The "追加問題.txt" the player edits: always the own copy in the per-user folder, made from
// the shipped one on first use (the game's folder may be read-only, as an installed game's is,
// and the game never writes there). Empty, with error (UTF-8) saying why, when no copy could
// be made.
std::filesystem::path TuikaFileForEditing(const std::filesystem::path& appDir,
                                          const std::filesystem::path& userDir, std::string& error);

// The same on the file's bytes. A UTF-8 or UTF-16 byte-order mark selects that encoding;
// otherwise the text is UTF-8 when more of its non-ASCII lines read as UTF-8 than do not, else
// Shift-JIS (a line the chosen encoding cannot read is left out, never garbled). Lines end with
// CR LF, LF or CR. The first 14 lines are the header. The rest are pairs of lines, written form
// first, then reading; an odd last line is dropped, and a pair that IsAcceptableTuikaPair rejects
// or that fits (when given) finds too wide is left out and listed in LeftOut. Where the line
// below a pair's first line cannot be a reading but the one after it can, the first line stands
// alone (a question without its reading is listed; a meaning line without its blank line gives
// its meaning), so one missing line never shifts the pairs after it. A meaning pair (see
// TuikaImiOfPair) right after an accepted question becomes that question's meaning. When at
// least one pair is accepted, the additional questions become exactly those pairs, each with its
// reading as speech string and not yet asked; otherwise nothing changes. TuikaShutsudaiCount := 0.
TuikaLoadResult LoadTuikaMondaiFromBytes(TCatalogue& catalogue, std::string_view bytes,
                                         const TTuikaScreenCheck& fits = nullptr);

// The one message that tells the player which questions were left out and why (UTF-8); empty
// when none was.
std::string TuikaLeftOutMessage(const std::vector<TTuikaLeftOutPair>& leftOut);

// Appends one additional question (resuming a game whose question is no longer in the file).
// All four lists grow by one; the speech string is the reading; the entry is not yet marked
// as asked. Returns the new question's number, or 0 (nothing appended) when the pair is not
// acceptable: a longer reading could not be laid out in the 39 character slots.
std::int32_t AppendTuikaMondai(TCatalogue& catalogue, std::u16string_view reading,
                               std::u16string_view seikai);
