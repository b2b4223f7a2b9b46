#include "platform/wmp/ffmpeg/ffmpeg_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/wmp/music_formats.h"

namespace wmp {
namespace {

constexpr int kChannels = 2;

// What opening one file may read and take: the probe and the stream analysis look at the first
// megabyte; measuring the length reads the file once more. A file that needs more, or longer
// than the deadline, is not a music file the game can play.
constexpr int kProbeBytes = 1 << 20;
constexpr std::int64_t kOpenReadSlack = 8 << 20;
constexpr auto kOpenDeadline = std::chrono::seconds(5);
// No single block FFmpeg allocates for music comes near this; a header claiming more is lying.
constexpr std::size_t kLargestAllocation = 64u << 20;
constexpr int kIoBufferBytes = 64 << 10;

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerCloser {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct PacketCloser {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameCloser {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct IoCloser {
  void operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

// The music file itself, read through a descriptor of our own: FFmpeg gets no protocol and no
// way to open another file (io_open refuses), and while the file is being opened its reads are
// counted against a budget and a deadline.
struct TFileInput {
  int Fd = -1;
  std::int64_t Size = 0;
  std::int64_t Read = 0;
  std::int64_t Budget = -1;  // bytes the open may still read; -1 while playing (no bound)
  std::chrono::steady_clock::time_point Deadline{};

  ~TFileInput() {
    if (Fd >= 0) ::close(Fd);
  }
  bool Opening() const { return Budget >= 0; }

  static int ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
    auto& in = *static_cast<TFileInput*>(opaque);
    if (in.Opening()) {
      if (in.Read >= in.Budget) return AVERROR(EFBIG);
      size = static_cast<int>(std::min<std::int64_t>(size, in.Budget - in.Read));
    }
    ssize_t got = 0;
    do {
      got = ::read(in.Fd, buffer, static_cast<std::size_t>(size));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return AVERROR(errno);
    if (got == 0) return AVERROR_EOF;
    in.Read += got;
    return static_cast<int>(got);
  }

  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    auto& in = *static_cast<TFileInput*>(opaque);
    if (whence == AVSEEK_SIZE) return in.Size;
    const off_t at = ::lseek(in.Fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
  }

  static int Interrupt(void* opaque) {
    const auto& in = *static_cast<const TFileInput*>(opaque);
    return in.Opening() && std::chrono::steady_clock::now() > in.Deadline ? 1 : 0;
  }

  static int RefuseOtherFiles(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
  }
};

}  // namespace

struct TFfmpegSource::Codec {
  // Declared first, freed last: the format context reads through both.
  TFileInput input;
  std::unique_ptr<AVIOContext, IoCloser> io;
  std::unique_ptr<AVFormatContext, FormatCloser> format;
  std::unique_ptr<AVCodecContext, CodecCloser> decoder;
  std::unique_ptr<SwrContext, ResamplerCloser> resampler;
  std::unique_ptr<AVPacket, PacketCloser> packet{av_packet_alloc()};
  std::unique_ptr<AVFrame, FrameCloser> frame{av_frame_alloc()};
  AVStream* stream = nullptr;
  const AVCodec* codec = nullptr;
  // What the resampler was set up for; a stream may change it midway.
  int inRate = 0;
  int inFormat = -1;
  AVChannelLayout inLayout{};

  ~Codec() { av_channel_layout_uninit(&inLayout); }
};

TFfmpegSource::TFfmpegSource(const std::string& path, int rate)
    : codec_(std::make_unique<Codec>()), rate_(rate) {
  // The libraries report damaged frames on stderr; the player reports what matters itself.
  av_log_set_level(AV_LOG_FATAL);
  av_max_alloc(kLargestAllocation);
  if (!codec_->packet || !codec_->frame) throw EMediaPlayer("メモリが足りません");

  TFileInput& input = codec_->input;
  input.Fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (input.Fd < 0 || ::fstat(input.Fd, &status) != 0) {
    throw EMediaPlayer("開けません (" + std::string(std::strerror(errno)) + ")");
  }
  input.Size = status.st_size;
  input.Budget = 2 * input.Size + kOpenReadSlack;
  input.Deadline = std::chrono::steady_clock::now() + kOpenDeadline;

  auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
  codec_->io.reset(avio_alloc_context(buffer, kIoBufferBytes, 0, &input, &TFileInput::ReadPacket,
                                      nullptr, &TFileInput::Seek));
  if (!codec_->io) {
    av_free(buffer);
    throw EMediaPlayer("メモリが足りません");
  }
  AVFormatContext* format = avformat_alloc_context();
  if (format == nullptr) throw EMediaPlayer("メモリが足りません");
  format->pb = codec_->io.get();
  format->io_open = &TFileInput::RefuseOtherFiles;
  format->interrupt_callback = {&TFileInput::Interrupt, &input};
  AVDictionary* options = nullptr;
  // Only the containers of the game's music formats: anything else is refused unread.
  av_dict_set(&options, "format_whitelist", MusicContainers().c_str(), 0);
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set_int(&options, "probesize", kProbeBytes, 0);
  // On failure avformat_open_input frees the context itself.
  const int opened = avformat_open_input(&format, path.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    CheckOpenBounds();
    throw EMediaPlayer("音楽ファイルの形式ではありません (" + ErrorText(opened) + ")",
                       TMediaFault::NotMusic);
  }
  codec_->format.reset(format);
  if (const int found = avformat_find_stream_info(format, nullptr); found < 0) {
    CheckOpenBounds();
    throw EMediaPlayer("形式がわかりません (" + ErrorText(found) + ")", TMediaFault::Damaged);
  }

  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (index < 0 || decoder == nullptr) {
    throw EMediaPlayer("音声が入っていません", TMediaFault::Empty);
  }
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  codec_->stream = format->streams[index];
  codec_->codec = decoder;
  if (!OpenDecoder()) {
    throw EMediaPlayer(std::string("音声を復号できません (") + decoder->name + ")",
                       TMediaFault::Unsupported);
  }
  seconds_ = MeasureSeconds();
  CheckOpenBounds();
  // Opened: playing reads the file as long as it plays, and may take its time.
  input.Budget = -1;
}

TFfmpegSource::~TFfmpegSource() = default;

void TFfmpegSource::CheckOpenBounds() const {
  const TFileInput& input = codec_->input;
  if (input.Read >= input.Budget) {
    throw EMediaPlayer("読み込む量が多すぎます", TMediaFault::Damaged);
  }
  if (std::chrono::steady_clock::now() > input.Deadline) {
    throw EMediaPlayer("開くのに時間がかかりすぎます", TMediaFault::TooLong);
  }
}

bool TFfmpegSource::OpenDecoder() {
  codec_->decoder.reset(avcodec_alloc_context3(codec_->codec));
  return codec_->decoder &&
         avcodec_parameters_to_context(codec_->decoder.get(), codec_->stream->codecpar) >= 0 &&
         avcodec_open2(codec_->decoder.get(), codec_->codec, nullptr) >= 0;
}

double TFfmpegSource::MeasureSeconds() {
  AVFormatContext* format = codec_->format.get();
  const AVStream* stream = codec_->stream;
  const AVCodecParameters* parameters = stream->codecpar;
  // An MP3 file's frame count includes the encoder's padding at both ends; its packets say
  // exactly how much of it the decoder drops.
  const bool padded = parameters->codec_id == AV_CODEC_ID_MP3;
  if (!padded && format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
    double seconds = -1.0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
      seconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    } else if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
      seconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    }
    if (seconds > 0) {
      // The encoder's lead-in (Opus's pre-skip), which the decoder drops, is not heard.
      if (parameters->initial_padding > 0 && parameters->sample_rate > 0) {
        seconds -= static_cast<double>(parameters->initial_padding) / parameters->sample_rate;
      }
      return std::max(seconds, 0.0);
    }
  }
  // Otherwise (and without a length in the headers: raw AAC) the packets are counted:
  // demultiplexing alone is quick, and the sum is exact.
  std::int64_t ticks = 0;
  std::int64_t skippedSamples = 0;
  AVPacket* packet = codec_->packet.get();
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream->index) {
      ticks += std::max<std::int64_t>(packet->duration, 0);
      std::size_t size = 0;
      if (const std::uint8_t* skip =
              av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
          skip != nullptr && size >= 8) {
        skippedSamples += static_cast<std::int64_t>(AV_RL32(skip)) + AV_RL32(skip + 4);
      }
    }
    av_packet_unref(packet);
  }
  Rewind();
  double seconds = static_cast<double>(ticks) * av_q2d(stream->time_base);
  if (parameters->sample_rate > 0) {
    seconds -= static_cast<double>(skippedSamples) / parameters->sample_rate;
  }
  return std::max(seconds, 0.0);
}

bool TFfmpegSource::Rewind() {
  pending_.clear();
  pendingPos_ = 0;
  draining_ = false;
  finished_ = false;
  AVFormatContext* format = codec_->format.get();
  int result = av_seek_frame(format, codec_->stream->index, 0, AVSEEK_FLAG_BACKWARD);
  if (result < 0) result = av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE);
  // A new decoder rather than a flushed one: only a fresh one drops the encoder's lead-in again.
  const bool reopened = OpenDecoder();
  codec_->resampler.reset();  // drops what it held of the old position
  finished_ = result < 0 || !reopened;
  return !finished_;
}

bool TFfmpegSource::Convert(bool flush) {
  Codec& c = *codec_;
  AVFrame* frame = c.frame.get();
  if (!flush && (!c.resampler || frame->sample_rate != c.inRate || frame->format != c.inFormat ||
                 av_channel_layout_compare(&frame->ch_layout, &c.inLayout) != 0)) {
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0) {
      av_channel_layout_default(&in, std::max(frame->ch_layout.nb_channels, 1));
    } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
      return false;
    }
    AVChannelLayout out{};
    av_channel_layout_default(&out, kChannels);
    SwrContext* resampler = nullptr;
    const int made = swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, rate_, &in,
                                         static_cast<AVSampleFormat>(frame->format),
                                         frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    c.resampler.reset(resampler);
    if (made < 0 || swr_init(resampler) < 0) {
      av_channel_layout_uninit(&in);
      c.resampler.reset();
      return false;
    }
    av_channel_layout_uninit(&c.inLayout);
    c.inLayout = in;
    c.inRate = frame->sample_rate;
    c.inFormat = frame->format;
  }
  if (!c.resampler) return true;  // nothing was ever decoded: nothing to flush

  const int inSamples = flush ? 0 : frame->nb_samples;
  const int room = swr_get_out_samples(c.resampler.get(), inSamples);
  if (room <= 0) return true;
  // Whatever is left of pending_ stays in front of the new samples.
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_));
  pendingPos_ = 0;
  const std::size_t before = pending_.size();
  pending_.resize(before + static_cast<std::size_t>(room) * kChannels);
  auto* out = reinterpret_cast<std::uint8_t*>(pending_.data() + before);
  const int made = swr_convert(
      c.resampler.get(), &out, room,
      flush ? nullptr : const_cast<const std::uint8_t**>(frame->extended_data), inSamples);
  pending_.resize(before + static_cast<std::size_t>(std::max(made, 0)) * kChannels);
  return made >= 0;
}

bool TFfmpegSource::DecodeMore() {
  Codec& c = *codec_;
  while (!finished_) {
    const int received = avcodec_receive_frame(c.decoder.get(), c.frame.get());
    if (received == 0) {
      const bool converted = Convert(false);
      av_frame_unref(c.frame.get());
      if (!converted) {
        finished_ = true;
        return false;
      }
      if (pending_.size() > pendingPos_) return true;
      continue;
    }
    if (received != AVERROR(EAGAIN)) {
      // The end of the stream (or a decoder that cannot go on): the resampler's tail is last.
      finished_ = true;
      Convert(true);
      return pending_.size() > pendingPos_;
    }
    const int read = av_read_frame(c.format.get(), c.packet.get());
    if (read < 0) {
      if (draining_) {
        finished_ = true;
        return false;
      }
      draining_ = true;
      avcodec_send_packet(c.decoder.get(), nullptr);
      continue;
    }
    if (c.packet->stream_index == c.stream->index) {
      // A damaged packet is dropped; the music goes on with the next one.
      avcodec_send_packet(c.decoder.get(), c.packet.get());
    }
    av_packet_unref(c.packet.get());
  }
  return false;
}

std::size_t TFfmpegSource::Read(std::int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames) {
    if (pendingPos_ >= pending_.size() && !DecodeMore()) break;
    const std::size_t available = (pending_.size() - pendingPos_) / kChannels;
    const std::size_t take = std::min(available, frames - done);
    std::memcpy(out + done * kChannels, pending_.data() + pendingPos_,
                take * kChannels * sizeof(std::int16_t));
    pendingPos_ += take * kChannels;
    done += take;
  }
  return done;
}

}  // namespace wmp
