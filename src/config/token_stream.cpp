#include "config/token_stream.h"

#include "platform/machine.h"

namespace {

constexpr std::size_t kBufferSize = 4096;

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string SystemText(qv::WinError code) {
  std::string text = qv::CurrentMachine().System().ErrorMessage(code);
  while (!text.empty() && IsTrimmed(text.back())) text.pop_back();
  return text;
}

}  // namespace

TTokenStream::TTokenStream(const std::string& fileName, Mode mode)
    : files_(qv::CurrentMachine().Files()), fileName_(fileName) {
  qv::WinError e;
  if (mode == Mode::Create) {
    e = files_.Open(fileName, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, handle_);
    if (e != qv::err::Success) Fail("Cannot create file ", e);
  } else {
    e = files_.Open(fileName, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, handle_);
    if (e != qv::err::Success) Fail("Cannot open file ", e);
    buffer_.resize(kBufferSize);
  }
}

TTokenStream::~TTokenStream() {
  if (handle_ != 0) files_.Close(handle_);
}

void TTokenStream::Fail(const std::string& what, qv::WinError code) {
  std::string message = what + fileName_ + ".";
  std::string text = SystemText(code);
  if (!text.empty()) message += " " + text;
  throw EFileStreamError(message);
}

void TTokenStream::WriteLine(std::string_view text) {
  std::string line(text);
  line += " \r\n";
  std::uint32_t done = 0;
  qv::WinError e =
      files_.Write(handle_, line.data(), static_cast<std::uint32_t>(line.size()), done);
  if (e == qv::err::Success && done != line.size()) e = qv::err::DiskFull;
  if (e != qv::err::Success) Fail("Error writing file ", e);
}

bool TTokenStream::Fill() {
  if (bufferPos_ < bufferLen_) return true;
  if (eof_ || buffer_.empty()) return false;
  std::uint32_t done = 0;
  qv::WinError e =
      files_.Read(handle_, buffer_.data(), static_cast<std::uint32_t>(buffer_.size()), done);
  if (e != qv::err::Success) Fail("Error reading file ", e);
  bufferPos_ = 0;
  bufferLen_ = done;
  if (done == 0) eof_ = true;
  return done != 0;
}

bool TTokenStream::AtEnd() { return !Fill(); }

std::string TTokenStream::ReadLine() {
  std::string line;
  while (Fill()) {
    char c = buffer_[bufferPos_++];
    if (c == '\n') break;
    if (c != '\r' && line.size() < kMaxLineLength) line += c;
  }
  std::size_t first = 0;
  while (first < line.size() && IsTrimmed(line[first])) ++first;
  std::size_t last = line.size();
  while (last > first && IsTrimmed(line[last - 1])) --last;
  return line.substr(first, last - first);
}

std::vector<std::string> TTokenStream::Tokenize(std::string_view line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string token;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      char c = line[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && (c == ' ' || c == '\t')) {
        break;
      } else {
        token += c;
      }
    }
    if (token.empty()) break;  // a pair of quotes with nothing between ends the line
    tokens.push_back(std::move(token));
  }
  return tokens;
}
