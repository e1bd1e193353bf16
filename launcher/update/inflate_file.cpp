#include "launcher/update/inflate_file.h"

#include <zlib.h>

#include <memory>
#include <new>

#include "launcher/control/notices.h"
#include "launcher/update/local_file.h"

namespace veltharn {
namespace {

// The zlib stream, ended however the inflation ends.
class InflateStream {
 public:
  InflateStream() { ready_ = inflateInit(&stream_) == Z_OK; }
  ~InflateStream() {
    if (ready_) inflateEnd(&stream_);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  [[nodiscard]] bool ready() const { return ready_; }
  z_stream& get() { return stream_; }
  // Ends the stream now and tells whether zlib agreed.
  bool End() {
    ready_ = false;
    return inflateEnd(&stream_) == Z_OK;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

std::unique_ptr<Bytef[]> Block() { return std::unique_ptr<Bytef[]>(new (std::nothrow) Bytef[kInflateBlockSize]); }

bool WriteBlock(WritableFile& file, const Bytef* bytes, std::size_t count) {
  return count == 0 || file.Write(std::as_bytes(std::span(bytes, count)));
}

bool Inflate(Notices& notices, WritableFile& target, ReadableFile& source) {
  std::unique_ptr<Bytef[]> input = Block();
  std::unique_ptr<Bytef[]> output = Block();
  if (input == nullptr || output == nullptr) return false;
  InflateStream inflater;
  if (!inflater.ready()) return false;
  z_stream& stream = inflater.get();

  constexpr auto kBlock = static_cast<uInt>(kInflateBlockSize);
  for (;;) {
    stream.next_out = output.get();
    stream.avail_out = kBlock;
    while (stream.avail_out > 0) {
      notices.PumpOneMessage();
      if (notices.ending()) return false;
      if (stream.avail_in == 0) {
        int64_t count = source.Read(std::as_writable_bytes(std::span(input.get(), kBlock)));
        if (count < 0) return false;
        stream.next_in = input.get();
        stream.avail_in = static_cast<uInt>(count);
      }
      int result = inflate(&stream, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        return WriteBlock(target, output.get(), kBlock - stream.avail_out) && inflater.End() &&
               target.Close();
      }
      // Z_BUF_ERROR here means the input ended before the stream did.
      if (result != Z_OK) return false;
    }
    if (!WriteBlock(target, output.get(), kBlock)) return false;
  }
}

}  // namespace

bool InflateFile(Notices& notices, FileSystem& files, const std::string& target,
                 ReadableFile& source) {
  std::unique_ptr<WritableFile> file = files.Create(target);
  if (file == nullptr) return false;
  if (Inflate(notices, *file, source)) return true;
  file.reset();
  DeleteLocalFile(files, target);
  return false;
}

}  // namespace veltharn
