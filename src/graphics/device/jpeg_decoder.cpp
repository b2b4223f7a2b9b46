#include "graphics/device/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. It jumps back to the
// setjmp in the step that called libjpeg; those steps hold only trivially destructible locals,
// so the jump skips no destructor.
struct TJPEGSession {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = {};
  bool created = false;
  bool cutShort = false;  // libjpeg ran out of data
  bool corrupt = false;   // libjpeg found the coded data damaged
};

// libjpeg's own buffers (a progressive or arithmetic-coded picture's coefficients) stay within
// this; past it libjpeg stops with an error instead of allocating more.
constexpr long kJPEGWorkingMemory = 64L << 20;

void ErrorExit(j_common_ptr common) {
  auto* session = reinterpret_cast<TJPEGSession*>(common->client_data);
  (*common->err->format_message)(common, session->message);
  std::longjmp(session->jump, 1);
}

// Warnings stay off the terminal. Those that say the coded data is damaged (libjpeg would carry
// on and make up grey blocks) stop the decoding at once, as an error does; the few about
// metadata only are let pass.
void NoteMessage(j_common_ptr common, int level) {
  if (level >= 0) return;  // trace messages
  const int code = common->err->msg_code;
  if (code == JWRN_ADOBE_XFORM || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC) return;
  auto* session = reinterpret_cast<TJPEGSession*>(common->client_data);
  session->cutShort = code == JWRN_JPEG_EOF;
  session->corrupt = true;
  ErrorExit(common);
}

// The fewest bytes the picture's coded data can take: Huffman coding spends at least one bit on
// every 8 x 8 block of every component. (Arithmetic coding can spend less; it is not judged.)
std::uint64_t LeastCodedBytes(const jpeg_decompress_struct& info) {
  if (info.arith_code) return 0;
  std::uint64_t blocks = 0;
  for (int c = 0; c < info.num_components; ++c) {
    blocks += std::uint64_t{info.comp_info[c].width_in_blocks} * info.comp_info[c].height_in_blocks;
  }
  return blocks / 8;
}

bool StartDecompress(TJPEGSession& s, const std::uint8_t* data, std::size_t size) {
  s.info.err = jpeg_std_error(&s.errors);
  s.errors.error_exit = ErrorExit;
  s.errors.emit_message = NoteMessage;
  s.info.client_data = &s;
  if (setjmp(s.jump) != 0) return false;
  jpeg_create_decompress(&s.info);
  s.created = true;
  s.info.mem->max_memory_to_use = kJPEGWorkingMemory;
  jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&s.info, TRUE);
  s.info.out_color_space = JCS_RGB;
  s.info.dct_method = JDCT_ISLOW;
  s.info.scale_num = 1;
  s.info.scale_denom = 1;
  jpeg_calc_output_dimensions(&s.info);
  return true;
}

bool BeginOutput(TJPEGSession& s) {
  if (setjmp(s.jump) != 0) return false;
  jpeg_start_decompress(&s.info);
  return true;
}

// Decodes every row, converting libjpeg's R, G, B into the bitmap's B, G, R.
bool ReadRows(TJPEGSession& s, TDGBitmap& bitmap, std::uint8_t* rowBuffer) {
  if (setjmp(s.jump) != 0) return false;
  while (s.info.output_scanline < s.info.output_height) {
    const auto y = static_cast<std::int32_t>(s.info.output_scanline);
    JSAMPROW row = rowBuffer;
    if (jpeg_read_scanlines(&s.info, &row, 1) != 1) break;
    std::uint8_t* out = bitmap.ScanLine(y);
    for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
      out[x * 3 + 0] = rowBuffer[x * 3 + 2];
      out[x * 3 + 1] = rowBuffer[x * 3 + 1];
      out[x * 3 + 2] = rowBuffer[x * 3 + 0];
    }
  }
  jpeg_finish_decompress(&s.info);
  return true;
}

class TSessionGuard {
 public:
  explicit TSessionGuard(TJPEGSession& session) : session_(session) {}
  ~TSessionGuard() {
    if (session_.created) jpeg_destroy_decompress(&session_.info);
  }
  TSessionGuard(const TSessionGuard&) = delete;
  TSessionGuard& operator=(const TSessionGuard&) = delete;

 private:
  TJPEGSession& session_;
};

[[noreturn]] void Fail(const TJPEGSession& session) {
  if (session.cutShort) throw EJPEGError("JPEG画像が途中で切れています");
  if (session.corrupt)
    throw EJPEGError(std::string("JPEG画像のデータが壊れています: ") + session.message);
  throw EJPEGError(std::string("JPEG画像を読み込めません: ") + session.message);
}

}  // namespace

std::unique_ptr<TDGBitmap> DecodeJPEG(std::span<const std::uint8_t> data, std::int32_t maxWidth,
                                      std::int32_t maxHeight) {
  auto session = std::make_unique<TJPEGSession>();
  TSessionGuard guard(*session);
  if (data.empty()) throw EJPEGError("JPEG画像を読み込めません: データが空です");
  if (!StartDecompress(*session, data.data(), data.size())) Fail(*session);
  // Both checks come before anything the size of the picture is allocated.
  const auto width = static_cast<std::int64_t>(session->info.output_width);
  const auto height = static_cast<std::int64_t>(session->info.output_height);
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width > std::min(maxWidth, kJPEGMaxSide) || height > std::min(maxHeight, kJPEGMaxSide)) {
    throw EJPEGError("JPEG画像が大きすぎます (" + size + "、" + std::to_string(maxWidth) + " x " +
                     std::to_string(maxHeight) + " まで)");
  }
  if (data.size() < LeastCodedBytes(session->info)) {
    throw EJPEGError("JPEG画像のデータが " + size + " の大きさに足りません");
  }
  // Arithmetic coding codes a plain picture in next to nothing, so a small file may claim any
  // size a texture holds: the number of pixels is bounded as well.
  if (width * height > kJPEGMaxPixels) {
    throw EJPEGError("JPEG画像が大きすぎます (" + size + "、" + std::to_string(kJPEGMaxPixels) +
                     " 画素まで)");
  }
  if (!BeginOutput(*session)) Fail(*session);
  auto bitmap = std::make_unique<TDGBitmap>(static_cast<std::int32_t>(width),
                                            static_cast<std::int32_t>(height));
  std::vector<std::uint8_t> rowBuffer(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(session->info.output_components));
  if (session->info.output_components != 3) {
    throw EJPEGError("JPEG画像を読み込めません: RGBに変換できない色空間です");
  }
  if (!ReadRows(*session, *bitmap, rowBuffer.data())) Fail(*session);
  return bitmap;
}

std::unique_ptr<TDGBitmap> LoadJPEGFile(const std::filesystem::path& fileName,
                                        std::int32_t maxWidth, std::int32_t maxHeight) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) throw EJPEGError(fileName.string() + " を開けません");
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
  if (file.bad()) throw EJPEGError(fileName.string() + " を読み込めません");
  try {
    return DecodeJPEG(data, maxWidth, maxHeight);
  } catch (const EJPEGError& e) {
    throw EJPEGError(fileName.string() + ": " + e.what());
  }
}
