// A stream over InputFile, the same on every system.
#include "system/files.h"

#include <array>
#include <streambuf>

namespace zt {

class FileStream::Buffer : public std::streambuf {
  public:
    Buffer(const std::string& path, FileTrouble* trouble) : file_(OpenForReading(path, trouble)) {}
    ~Buffer() override { CloseFile(file_); }
    bool IsOpen() const { return file_ != nullptr; }

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (!file_) return traits_type::eof();
        const std::int64_t got =
            ReadBytes(file_, reinterpret_cast<std::uint8_t*>(chunk_.data()), chunk_.size());
        if (got <= 0) return traits_type::eof();  // the end, or a read that failed
        setg(chunk_.data(), chunk_.data(), chunk_.data() + got);
        return traits_type::to_int_type(*gptr());
    }

  private:
    InputFile* file_;
    std::array<char, 4096> chunk_{};
};

FileStream::FileStream(const std::string& path, FileTrouble* trouble)
    : std::istream(nullptr), buffer_(std::make_unique<Buffer>(path, trouble)) {
    rdbuf(buffer_.get());
    if (!buffer_->IsOpen()) setstate(std::ios::failbit);
}

FileStream::~FileStream() = default;

bool FileStream::IsOpen() const {
    return buffer_->IsOpen();
}

}  // namespace zt
