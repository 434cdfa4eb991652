#include "stream/connection.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/machine.h"

namespace {

constexpr std::uint32_t kMemoryBlock = 32768;
constexpr std::uint32_t kFileBlock = 65536;
constexpr std::uint32_t kMaxStringRead = 1024;
// Whole files go between a file stream and the disk in blocks of this size:
// fewer calls, and nothing in the stored bytes depends on it.
constexpr std::uint32_t kFileCopyBlock = 1u << 20;
// A read file stream reads ahead this much for reads up to kSmallRead bytes.
constexpr std::uint32_t kReadAhead = 65536;
constexpr std::uint32_t kSmallRead = 4096;
const char* const kPastEnd = "Attempt to read past end of file.";

std::int32_t FromLittleEndian(const std::uint8_t b[4]) {
  return static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                   (static_cast<std::uint32_t>(b[3]) << 24));
}

void ToLittleEndian(std::int32_t v, std::uint8_t b[4]) {
  auto u = static_cast<std::uint32_t>(v);
  b[0] = static_cast<std::uint8_t>(u);
  b[1] = static_cast<std::uint8_t>(u >> 8);
  b[2] = static_cast<std::uint8_t>(u >> 16);
  b[3] = static_cast<std::uint8_t>(u >> 24);
}

std::unique_ptr<std::uint8_t[]> Allocate(std::uint32_t size, const char* failure) {
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[size]);
  if (!block) throw Exception(failure);
  return block;
}

qv::IFiles& Files() { return qv::CurrentMachine().Files(); }

}  // namespace

// ---------------------------------------------------------------------------
// TConnection

TConnection::TConnection() : OSVersion(qv::RunningKind(qv::CurrentMachine().System())) {}

TConnection::~TConnection() = default;

bool TConnection::ReadBoolean(std::string_view key) { return ReadInteger(key) == 1; }

void TConnection::WriteBoolean(bool value, std::string_view key) {
  WriteInteger(value ? 1 : 0, key);
}

std::int32_t TConnection::ReadInteger(std::string_view) {
  std::uint8_t b[4] = {};
  ReadBuffer(b, 4);
  return FromLittleEndian(b);
}

void TConnection::WriteInteger(std::int32_t value, std::string_view) {
  std::uint8_t b[4];
  ToLittleEndian(value, b);
  WriteBuffer(b, 4);
}

std::string TConnection::ReadString(std::string_view key) {
  std::int32_t length = ReadInteger(key);
  if (length < 0) throw EConnectionReadError("Invalid string length " + std::to_string(length));
  auto n = static_cast<std::uint32_t>(length);
  RequireAvailable(n);
  std::uint32_t skip = 0;
  if (n > kMaxStringRead) {
    DebugLog("Warning : TConnection.ReadString : String too long : " + std::to_string(n));
    skip = n - kMaxStringRead;
    n = kMaxStringRead;
  }
  std::string text(n, '\0');
  if (n) ReadBuffer(text.data(), n);
  // Pass over the rest of an over-long string so the next read stays in step.
  if (skip) Seek(static_cast<std::int32_t>(skip));
  text.resize(std::strlen(text.c_str()));
  return text;
}

void TConnection::WriteString(std::string_view value, std::string_view key) {
  WriteInteger(static_cast<std::int32_t>(value.size()), key);
  if (!value.empty()) WriteBuffer(value.data(), static_cast<std::uint32_t>(value.size()));
}

std::uint32_t TConnection::ReadBuffer(void*, std::uint32_t) { return 0; }
void TConnection::WriteBuffer(const void*, std::uint32_t) {}

std::uint8_t TConnection::ReadByte(std::string_view) {
  std::uint8_t b = 0;
  ReadBuffer(&b, 1);
  return b;
}

void TConnection::WriteByte(std::uint8_t value, std::string_view) { WriteBuffer(&value, 1); }

bool TConnection::IsOpen() { return true; }
bool TConnection::Initialize() { return true; }
bool TConnection::Clear() { return true; }
bool TConnection::Seek(std::int32_t) { return false; }
std::int32_t TConnection::GetPosition() { return -1; }
std::int32_t TConnection::GetTransferBlockSize() { return kFileBlock; }

void TConnection::DumpState() {
  DebugLog("OSver = " + std::to_string(OSVersion));
  DebugLog("Connection version = " + std::to_string(ConnectionVersion));
}

void TConnection::AddComment(const std::string&) {}
bool TConnection::IsWriter() { return false; }
bool TConnection::IsReader() { return false; }
bool TConnection::Rewind() { return false; }
const std::vector<std::string>* TConnection::GetComments() { return nullptr; }
std::int64_t TConnection::Remaining() { return -1; }
bool TConnection::CanPatchBack() { return false; }
void TConnection::PatchBack(std::uint64_t, const void*, std::uint32_t) {
  throw Exception("This stream cannot go back over its data");
}
std::int32_t TConnection::GetCopyBlockSize() { return GetTransferBlockSize(); }

void TConnection::RequireAvailable(std::uint64_t bytes) {
  std::int64_t left = Remaining();
  if (left >= 0 && bytes > static_cast<std::uint64_t>(left)) {
    DebugLog(kPastEnd);
    DebugLog("Remaining = " + std::to_string(left));
    DebugLog("Size = " + std::to_string(bytes));
    throw EConnectionReadError(kPastEnd);
  }
}

// ---------------------------------------------------------------------------
// TCommentConnection

void TCommentConnection::AddComment(const std::string& line) { comments_.push_back(line); }

const std::vector<std::string>* TCommentConnection::GetComments() { return &comments_; }

// ---------------------------------------------------------------------------
// Memory streams

TMemoryConnection::~TMemoryConnection() = default;

bool TMemoryConnection::IsOpen() { return buffer_ != nullptr; }

bool TMemoryConnection::Clear() {
  buffer_.reset();
  capacity_ = 0;
  position_ = 0;
  return true;
}

std::int32_t TMemoryConnection::GetPosition() { return static_cast<std::int32_t>(position_); }
std::int32_t TMemoryConnection::GetTransferBlockSize() { return kMemoryBlock; }

void TMemoryConnection::DumpState() {
  TConnection::DumpState();
  DebugLog("TmemoryConnection State");
  DebugLog("TmemoryConnection Buffersize : " + std::to_string(capacity_));
  DebugLog("TmemoryConnection Current Position : " + std::to_string(position_));
}

bool TMemoryConnection::Rewind() {
  position_ = 0;
  return true;
}

void TMemoryConnection::GetBuffer(const std::uint8_t*& block, std::uint32_t& size) const {
  block = buffer_.get();
  size = capacity_;
}

void TMemoryConnection::SetBuffer(const std::uint8_t* block, std::uint32_t size) {
  Clear();
  if (size) {
    buffer_ = Allocate(size, "Insufficient memory");
    std::memcpy(buffer_.get(), block, size);
  }
  capacity_ = size;
  position_ = 0;
}

bool TMemoryConnection::WriteToFile(const std::string& fileName, const std::string& magic) {
  qv::IFiles& files = Files();
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  lastError_.clear();

  char drive = 0;
  if (fileName.size() >= 2 && fileName[1] == ':') {
    drive = fileName[0];
  } else if (fileName.rfind("\\\\", 0) == 0) {
    std::string current;
    if (files.CurrentFolder(current) == qv::err::Success && !current.empty()) drive = current[0];
  }
  if (drive) {
    std::uint64_t freeBytes = 0, total = 0;
    std::string root = std::string(1, drive) + ":\\";
    if (files.DiskFreeSpace(root, freeBytes, total) == qv::err::Success && freeBytes < position_) {
      lastError_ = SystemErrorText(qv::err::DiskFull);
      return false;
    }
  }

  qv::FileHandle file;
  if (files.Open(fileName, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, file) !=
      qv::err::Success) {
    lastError_ = "ERROR : Cannot create file " + fileName;
    return false;
  }
  qv::FileCloser closer(files, file);
  auto put = [&](const void* data, std::uint32_t count) {
    std::uint32_t done = 0;
    if (files.Write(file, data, count, done) != qv::err::Success || done != count) {
      lastError_ = SystemErrorText(system.LastError());
      return false;
    }
    return true;
  };

  std::uint8_t b[4];
  if (!magic.empty()) {
    ToLittleEndian(static_cast<std::int32_t>(magic.size() + 5 + position_), b);
    std::string tagged = magic + '\0';
    if (!put(b, 4) || !put(tagged.data(), static_cast<std::uint32_t>(tagged.size()))) return false;
  }
  ToLittleEndian(ConnectionVersion, b);
  if (!put(b, 4)) return false;
  std::uint32_t whole = position_ / kFileBlock;
  for (std::uint32_t i = 0; i < whole; ++i)
    if (!put(buffer_.get() + static_cast<std::size_t>(i) * kFileBlock, kFileBlock)) return false;
  std::uint32_t rest = position_ % kFileBlock;
  if (rest && !put(buffer_.get() + static_cast<std::size_t>(whole) * kFileBlock, rest))
    return false;
  return true;
}

std::uint32_t TReadMemoryConnection::ReadBuffer(void* buffer, std::uint32_t count) {
  if (capacity_ - position_ >= count) {
    if (count) std::memcpy(buffer, buffer_.get() + position_, count);
    position_ += count;
    return count;
  }
  DebugLog(kPastEnd);
  DebugLog("BufSize = " + std::to_string(capacity_));
  DebugLog("CurPos = " + std::to_string(position_));
  DebugLog("Size = " + std::to_string(count));
  throw EConnectionReadError(kPastEnd);
}

bool TReadMemoryConnection::Seek(std::int32_t delta) {
  std::uint32_t target = position_ + static_cast<std::uint32_t>(delta);
  if (target > capacity_) throw EConnectionReadError("TReadMemoryConnection::Seek");
  position_ = target;
  return true;
}

bool TReadMemoryConnection::IsReader() { return true; }

std::int64_t TReadMemoryConnection::Remaining() { return capacity_ - position_; }

void TWriteMemoryConnection::WriteBuffer(const void* buffer, std::uint32_t count) {
  if (static_cast<std::uint64_t>(position_) + count > capacity_) {
    std::uint64_t grown = static_cast<std::uint64_t>(capacity_) + kMemoryBlock;
    if (count > kMemoryBlock) grown += count;
    if (grown > 0xFFFFFFFFull) throw Exception("Insufficient memory.");
    auto block = Allocate(static_cast<std::uint32_t>(grown), "Insufficient memory.");
    if (position_) std::memcpy(block.get(), buffer_.get(), position_);
    buffer_ = std::move(block);
    capacity_ = static_cast<std::uint32_t>(grown);
  }
  if (count) std::memcpy(buffer_.get() + position_, buffer, count);
  position_ += count;
}

bool TWriteMemoryConnection::Initialize() {
  Clear();
  buffer_ = Allocate(kMemoryBlock, "Insufficient memory");
  capacity_ = kMemoryBlock;
  return true;
}

bool TWriteMemoryConnection::IsWriter() { return true; }

bool TWriteMemoryConnection::CanPatchBack() { return true; }

void TWriteMemoryConnection::PatchBack(std::uint64_t back, const void* data, std::uint32_t count) {
  if (back > position_ || count > back) throw Exception("TWriteMemoryConnection::PatchBack");
  if (count) std::memcpy(buffer_.get() + (position_ - back), data, count);
}

// ---------------------------------------------------------------------------
// File streams

TFileConnection::~TFileConnection() { TFileConnection::Close(); }

bool TFileConnection::IsOpen() { return file_ != 0; }

bool TFileConnection::Seek(std::int32_t delta) {
  if (!file_) return false;
  Files().Seek(file_, delta, qv::SeekOrigin::Current);
  return true;
}

std::int32_t TFileConnection::GetPosition() {
  std::uint64_t position = 0;
  if (!file_ || Files().Seek(file_, 0, qv::SeekOrigin::Current, &position) != qv::err::Success)
    return -1;
  return static_cast<std::int32_t>(position);
}

void TFileConnection::DumpState() {
  TConnection::DumpState();
  DebugLog("TFileConnection State");
  DebugLog("TFileConnection filename : " + fileName_);
}

bool TFileConnection::Rewind() {
  if (!file_) return false;
  Files().Seek(file_, 0, qv::SeekOrigin::Begin);
  return true;
}

std::int32_t TFileConnection::GetCopyBlockSize() { return kFileCopyBlock; }

bool TFileConnection::Open(const std::string&, const std::string&) { return true; }

bool TFileConnection::Close() {
  if (file_) {
    Files().Close(file_);
    file_ = 0;
  }
  return true;
}

std::uint32_t TReadFileConnection::ReadBuffer(void* buffer, std::uint32_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::uint32_t got = std::min(aheadEnd_ - aheadStart_, count);
  if (got) {
    std::memcpy(out, ahead_.get() + aheadStart_, got);
    aheadStart_ += got;
  }
  if (got < count && file_) {
    std::uint32_t rest = count - got;
    std::uint32_t done = 0;
    if (rest <= kSmallRead) {
      if (!ahead_) ahead_ = Allocate(kReadAhead, "Insufficient memory.");
      aheadStart_ = aheadEnd_ = 0;
      Files().Read(file_, ahead_.get(), kReadAhead, done);
      aheadEnd_ = done;
      aheadStart_ = std::min(done, rest);
      std::memcpy(out + got, ahead_.get(), aheadStart_);
      got += aheadStart_;
    } else {
      // The read-ahead is used up; the file moves past it.
      aheadStart_ = aheadEnd_ = 0;
      Files().Read(file_, out + got, rest, done);
      got += done;
    }
  }
  if (got < count) {
    // The file ended before the read was satisfied.
    DebugLog(kPastEnd);
    DebugLog("TFileConnection filename : " + fileName_);
    DebugLog("Size = " + std::to_string(count));
    throw EConnectionReadError(kPastEnd);
  }
  return count;
}

void TReadFileConnection::DropReadAhead() {
  std::uint32_t held = aheadEnd_ - aheadStart_;
  aheadStart_ = aheadEnd_ = 0;
  if (held && file_) Files().Seek(file_, -static_cast<std::int64_t>(held), qv::SeekOrigin::Current);
}

bool TReadFileConnection::Seek(std::int32_t delta) {
  if (!file_) return false;
  // Within the read-ahead, before or after the next unread byte.
  if (aheadEnd_ && (delta >= 0 ? static_cast<std::uint32_t>(delta) <= aheadEnd_ - aheadStart_
                               : static_cast<std::uint32_t>(-static_cast<std::int64_t>(delta)) <=
                                     aheadStart_)) {
    aheadStart_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(aheadStart_) + delta);
    return true;
  }
  DropReadAhead();
  return TFileConnection::Seek(delta);
}

std::int32_t TReadFileConnection::GetPosition() {
  std::int32_t position = TFileConnection::GetPosition();
  if (position < 0) return position;
  return position - static_cast<std::int32_t>(aheadEnd_ - aheadStart_);
}

bool TReadFileConnection::Rewind() {
  aheadStart_ = aheadEnd_ = 0;
  return TFileConnection::Rewind();
}

bool TReadFileConnection::Close() {
  aheadStart_ = aheadEnd_ = 0;
  sizeKnown_ = false;
  return TFileConnection::Close();
}

bool TReadFileConnection::IsReader() { return true; }

std::int64_t TReadFileConnection::Remaining() {
  if (!file_) return 0;
  std::uint64_t position = 0;
  if (!sizeKnown_) sizeKnown_ = Files().Size(file_, size_) == qv::err::Success;
  if (!sizeKnown_ ||
      Files().Seek(file_, 0, qv::SeekOrigin::Current, &position) != qv::err::Success)
    return -1;
  position -= aheadEnd_ - aheadStart_;
  return position >= size_ ? 0 : static_cast<std::int64_t>(size_ - position);
}

bool TReadFileConnection::Open(const std::string& fileName, const std::string& magic) {
  Close();
  qv::IFiles& files = Files();
  qv::FileHandle file;
  qv::WinError e = files.Open(fileName, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, file);
  if (e != qv::err::Success) {
    ShowErrorBox("Cannot open file \"" + fileName + "\". " + SystemErrorText(e));
    lastError_ = "Error opening file " + fileName;
    return false;
  }
  file_ = file;
  fileName_ = fileName;
  // The settings file is not written while it is read: its size is taken once.
  sizeKnown_ = files.Size(file_, size_) == qv::err::Success;

  auto readExactly = [&](void* buffer, std::uint32_t count) {
    std::uint32_t done = 0;
    return files.Read(file_, buffer, count, done) == qv::err::Success && done == count;
  };
  auto invalid = [&] {
    lastError_ = fileName + " is not a valid settings file.";
    Close();
    return false;
  };
  std::uint8_t b[4];
  if (!magic.empty()) {
    if (!readExactly(b, 4)) return invalid();
    std::string tag(magic.size() + 1, '\0');
    if (!readExactly(tag.data(), static_cast<std::uint32_t>(tag.size()))) return invalid();
    if (std::string(tag.c_str()) != magic) return invalid();
  }
  if (!readExactly(b, 4)) return invalid();
  ConnectionVersion = FromLittleEndian(b);
  return true;
}

void TWriteFileConnection::WriteBuffer(const void* buffer, std::uint32_t count) {
  std::uint32_t done = 0;
  if (file_) Files().Write(file_, buffer, count, done);
  if (done < count) throw Exception("Insufficient disk space");
}

bool TWriteFileConnection::IsWriter() { return true; }

bool TWriteFileConnection::CanPatchBack() { return file_ != 0; }

void TWriteFileConnection::PatchBack(std::uint64_t back, const void* data, std::uint32_t count) {
  qv::IFiles& files = Files();
  std::uint32_t done = 0;
  // The stream only ever appends: the end of its data is the end of the file.
  if (!file_ || count > back ||
      files.Seek(file_, -static_cast<std::int64_t>(back), qv::SeekOrigin::End) != qv::err::Success)
    throw Exception("Insufficient disk space");
  files.Write(file_, data, count, done);
  if (files.Seek(file_, 0, qv::SeekOrigin::End) != qv::err::Success || done < count)
    throw Exception("Insufficient disk space");
}

bool TWriteFileConnection::Open(const std::string& fileName, const std::string& magic) {
  Close();
  lastError_.clear();
  qv::FileHandle file;
  if (Files().Open(fileName, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, file) !=
      qv::err::Success) {
    lastError_ = "ERROR : Cannot create file " + fileName;
    return false;
  }
  file_ = file;
  fileName_ = fileName;
  try {
    if (!magic.empty()) {
      WriteInteger(static_cast<std::int32_t>(magic.size() + 5));
      std::string tagged = magic + '\0';
      WriteBuffer(tagged.data(), static_cast<std::uint32_t>(tagged.size()));
    }
    WriteInteger(ConnectionVersion);
  } catch (const Exception& e) {
    // A disk too full for the header: the file is no settings file.
    lastError_ = "ERROR : Cannot write file " + fileName + " : " + e.what();
    Close();
    return false;
  }
  return true;
}
