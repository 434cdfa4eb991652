#include "stream/file_transfer.h"

#include <algorithm>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "platform/machine.h"

namespace {

qv::IFiles& Files() { return qv::CurrentMachine().Files(); }

void WriteTime(TConnection& stream, std::uint64_t t) {
  std::uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(t >> (8 * i));
  stream.WriteBuffer(b, 8);
}

std::uint64_t ReadTime(TConnection& stream) {
  std::uint8_t b[8] = {};
  stream.ReadBuffer(b, 8);
  std::uint64_t t = 0;
  for (int i = 7; i >= 0; --i) t = (t << 8) | b[i];
  return t;
}

// Adds every byte (0..255) of a block to a 32-bit sum: sixteen at a time
// where the processor has SSE2 (sums of absolute differences against zero),
// otherwise eight at a time, pairs of bytes in 16-bit lanes that are folded
// before they can overflow.
std::uint32_t AddBytes(std::uint32_t sum, const std::uint8_t* data, std::uint32_t count) {
  std::uint32_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (count - i >= 16) {
    // Each step adds at most 8 * 255 to a 64-bit lane.
    __m128i lanes = _mm_setzero_si128();
    std::uint32_t steps = std::min<std::uint32_t>((count - i) / 16, 1u << 20);
    for (std::uint32_t k = 0; k < steps; ++k, i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      lanes = _mm_add_epi64(lanes, _mm_sad_epu8(v, zero));
    }
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), lanes);
    sum += static_cast<std::uint32_t>(halves[0] + halves[1]);
  }
#else
  constexpr std::uint64_t kLow = 0x00FF00FF00FF00FFull;
  while (count - i >= 8) {
    std::uint64_t lanes = 0;
    // 128 steps add at most 128 * 2 * 255 to a lane: below 65536.
    std::uint32_t steps = std::min<std::uint32_t>((count - i) / 8, 128);
    for (std::uint32_t k = 0; k < steps; ++k, i += 8) {
      std::uint64_t v;
      std::memcpy(&v, data + i, 8);
      lanes += (v & kLow) + ((v >> 8) & kLow);
    }
    sum += static_cast<std::uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) +
                                      ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
  }
#endif
  for (; i < count; ++i) sum += data[i];
  return sum;
}

// The header's fields in record order, as one block.
std::string HeaderBytes(const TFileTransferHeader& h) {
  std::string b;
  b.reserve(4 + h.Name.size() + 40);
  auto put = [&](std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(h.Name.size(), 4);
  b += h.Name;
  put(h.Size, 4);
  put(h.Attributes, 4);
  put(h.CreationTime, 8);
  put(h.LastAccessTime, 8);
  put(h.LastWriteTime, 8);
  put(h.Checksum, 4);
  return b;
}

// Opens a file for reading; 0 when it cannot be opened.
qv::FileHandle OpenForReading(const std::string& path) {
  qv::FileHandle h = 0;
  if (Files().Open(path, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, h) !=
      qv::err::Success)
    return 0;
  return h;
}

}  // namespace

bool TFileTransferHeader::Write(TConnection& stream) const {
  // One write for the whole header; a memory stream grows by the same rule
  // either way while the block is no larger than its growth step.
  if (Name.size() <= 16384) {
    std::string b = HeaderBytes(*this);
    stream.WriteBuffer(b.data(), static_cast<std::uint32_t>(b.size()));
    return true;
  }
  stream.WriteString(Name, "Name");
  stream.WriteInteger(static_cast<std::int32_t>(Size), "Size");
  stream.WriteInteger(static_cast<std::int32_t>(Attributes), "Attributes");
  WriteTime(stream, CreationTime);
  WriteTime(stream, LastAccessTime);
  WriteTime(stream, LastWriteTime);
  stream.WriteInteger(static_cast<std::int32_t>(Checksum), "Checksum");
  return true;
}

bool TFileTransferHeader::Read(TConnection& stream) {
  Name = stream.ReadString("Name");
  Size = static_cast<std::uint32_t>(stream.ReadInteger("Size"));
  Attributes = static_cast<std::uint32_t>(stream.ReadInteger("Attributes"));
  CreationTime = ReadTime(stream);
  LastAccessTime = ReadTime(stream);
  LastWriteTime = ReadTime(stream);
  Checksum = static_cast<std::uint32_t>(stream.ReadInteger("Checksum"));
  return true;
}

void SkipBytes(TConnection& stream, std::uint32_t count) {
  while (count > 0) {
    std::uint32_t step = std::min<std::uint32_t>(count, 0x40000000u);
    stream.Seek(static_cast<std::int32_t>(step));
    count -= step;
  }
}

TFileTransfer::TFileTransfer(TConnection& stream) : stream_(stream) {
  std::int32_t size = stream.GetTransferBlockSize();
  blockSize_ = size > 0 ? static_cast<std::uint32_t>(size) : 0;
  std::int32_t copy = stream.GetCopyBlockSize();
  copyBlock_ = std::max(blockSize_, copy > 0 ? static_cast<std::uint32_t>(copy) : 0);
  if (blockSize_) Buffer(blockSize_);
}

std::uint8_t* TFileTransfer::Buffer(std::uint32_t size) {
  if (size > bufferSize_) {
    buffer_.reset();
    buffer_.reset(new (std::nothrow) std::uint8_t[size]);
    if (!buffer_) {
      bufferSize_ = 0;
      DebugLog("Insufficient memory allocating transfer buffer");
      throw Exception("Insufficient memory.");
    }
    bufferSize_ = size;
  }
  return buffer_.get();
}

TFileTransfer::~TFileTransfer() = default;

bool TFileTransfer::GetFileInfo(const std::string& path, TFileTransferHeader& header) {
  qv::IFiles& files = Files();
  qv::FileHandle h = OpenForReading(path);
  if (!h) {
    DebugLog("Cannot open " + path);
    return false;
  }
  qv::FileCloser closer(files, h);
  if (!Describe(h, path, header)) return false;

  std::uint32_t sum = 0;
  std::uint32_t done = 0;
  if (blockSize_) {
    do {
      done = 0;
      if (files.Read(h, buffer_.get(), blockSize_, done) != qv::err::Success) break;
      sum = AddBytes(sum, buffer_.get(), done);
    } while (done == blockSize_);
  }
  header.Checksum = sum;
  return true;
}

bool TFileTransfer::Describe(qv::FileHandle h, const std::string& path,
                             TFileTransferHeader& header) {
  qv::IFiles& files = Files();
  std::uint64_t size = 0;
  files.Size(h, size);
  if (size > 0xFFFFFFFFull) {
    // A record holds 32-bit sizes.
    DebugLog("File too large : " + path);
    return false;
  }
  header.Name = path;
  header.Size = static_cast<std::uint32_t>(size);
  std::uint32_t attributes = 0;
  files.Attributes(path, attributes);
  header.Attributes = attributes;
  qv::FileTimes times;
  files.Times(h, times);
  header.CreationTime = times.creation;
  header.LastAccessTime = times.lastAccess;
  header.LastWriteTime = times.lastWrite;
  header.Checksum = 0;
  return true;
}

TFileWriter::~TFileWriter() { Release(); }

void TFileWriter::Release() {
  if (held_) Files().Close(held_);
  held_ = 0;
  heldPath_.clear();
}

bool TFileWriter::CanRead(const std::string& path) {
  errorMessage_.clear();
  Release();
  qv::FileHandle h = OpenForReading(path);
  std::uint64_t size = 0;
  if (h) Files().Size(h, size);
  if (!h || size > 0xFFFFFFFFull) {
    if (h) Files().Close(h);
    DebugLog("TFileWriter : Cannot open " + path);
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  // Kept open for the WriteFile of the same path that normally follows.
  held_ = h;
  heldPath_ = path;
  return true;
}

bool TFileWriter::WriteFile(const std::string& path) {
  errorMessage_.clear();
  if (!stream_.CanPatchBack()) return WriteReadingTwice(path);
  // One read of the file. One that fits the copy block is read whole and
  // goes out behind its finished header; a larger one goes out behind a
  // header with a checksum of 0, the sum is taken while the bytes are
  // copied and put into the header afterwards.
  qv::IFiles& files = Files();
  qv::FileHandle h = 0;
  if (held_ && heldPath_ == path) {
    h = held_;  // opened by CanRead, not read yet
    held_ = 0;
    heldPath_.clear();
  } else {
    Release();
    h = OpenForReading(path);
  }
  if (!h) {
    DebugLog("TFileWriter : Cannot open " + path);
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  qv::FileCloser closer(files, h);
  TFileTransferHeader header;
  if (!Describe(h, path, header)) {
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  if (header.Size <= copyBlock_) {
    std::uint8_t* buffer = Buffer(header.Size);
    std::uint32_t got = 0;
    while (got < header.Size) {
      std::uint32_t done = 0;
      if (files.Read(h, buffer + got, header.Size - got, done) != qv::err::Success || done == 0)
        break;
      got += done;
    }
    // A file that shrank after its size was taken is filled up with zeros.
    if (got < header.Size) std::memset(buffer + got, 0, header.Size - got);
    header.Checksum = AddBytes(0, buffer, got);
    header.Write(stream_);
    if (header.Size) stream_.WriteBuffer(buffer, header.Size);
    if (got < header.Size) {
      DebugLog("TFileWriter : " + path + " changed while it was read");
      errorMessage_ = "Cannot read file " + path;
      return false;
    }
    return true;
  }
  header.Write(stream_);
  std::uint32_t sum = 0;
  bool complete = CopyData(h, header.Size, &sum);
  std::uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(sum >> (8 * i));
  // The checksum is the header's last field, right before the data.
  stream_.PatchBack(4ull + header.Size, b, 4);
  if (!complete) {
    DebugLog("TFileWriter : " + path + " changed while it was read");
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  return true;
}

bool TFileWriter::WriteReadingTwice(const std::string& path) {
  Release();
  qv::IFiles& files = Files();
  qv::FileHandle probe = OpenForReading(path);
  if (!probe) {
    DebugLog("TFileWriter : Cannot open " + path);
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  files.Close(probe);

  TFileTransferHeader header;
  if (!GetFileInfo(path, header)) {
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  qv::FileHandle h = OpenForReading(path);
  if (!h) {
    DebugLog("TFileWriter : Cannot open " + path);
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  qv::FileCloser closer(files, h);
  header.Write(stream_);
  if (!CopyData(h, header.Size, nullptr)) {
    DebugLog("TFileWriter : " + path + " changed while it was read");
    errorMessage_ = "Cannot read file " + path;
    return false;
  }
  return true;
}

bool TFileWriter::CopyData(qv::FileHandle h, std::uint32_t size, std::uint32_t* sum) {
  qv::IFiles& files = Files();
  // The copy block, or less for a smaller file: a small file costs no large
  // allocation.
  const std::uint32_t block = std::min(copyBlock_, size);
  std::uint8_t* buffer = Buffer(block);
  std::uint32_t copied = 0;
  while (copied < size) {
    std::uint32_t want = std::min(block, size - copied);
    std::uint32_t done = 0;
    if (files.Read(h, buffer, want, done) != qv::err::Success || done == 0) break;
    if (sum) *sum = AddBytes(*sum, buffer, done);
    stream_.WriteBuffer(buffer, done);
    copied += done;
  }
  if (copied == size) return true;
  // The file shrank after its size was taken: fill the record up to its
  // stated size so the stream stays readable.
  std::memset(buffer, 0, block);
  while (copied < size) {
    std::uint32_t n = std::min(block, size - copied);
    stream_.WriteBuffer(buffer, n);
    copied += n;
  }
  return false;
}

TFileReader::TFileReader(TConnection& stream, bool compareByDate, bool compareByChecksum)
    : TFileTransfer(stream), ComparebyDate(compareByDate), ComparebyChecksum(compareByChecksum) {}

bool TFileReader::ShouldReplace(const TFileTransferHeader& header, const std::string& target) {
  if ((!ComparebyDate && !ComparebyChecksum) || !FileExists(target)) return true;
  TFileTransferHeader existing;
  GetFileInfo(target, existing);
  if (ComparebyChecksum && existing.Size == header.Size && existing.Checksum == header.Checksum)
    return false;
  return ComparebyDate && existing.LastWriteTime < header.LastWriteTime;
}

bool TFileReader::SkipFile() {
  errorMessage_.clear();
  TFileTransferHeader header;
  if (!header.Read(stream_)) {
    errorMessage_ = "Error reading file header";
    return false;
  }
  SkipBytes(stream_, header.Size);
  return true;
}

bool TFileReader::ReadFile(bool force, const std::string& targetName) {
  errorMessage_.clear();
  qv::IFiles& files = Files();
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  TFileTransferHeader header;
  if (!header.Read(stream_)) {
    errorMessage_ = "Error reading file header";
    return false;
  }
  // A size the stream cannot deliver is a damaged record: fail before any
  // file is touched.
  stream_.RequireAvailable(header.Size);
  const std::string target = targetName.empty() ? header.Name : targetName;
  if (!force && !ShouldReplace(header, target)) {
    SkipBytes(stream_, header.Size);
    return true;
  }

  const std::string dir = FolderOf(target);
  if (!dir.empty() && !FolderExists(dir)) {
    ForceFolders(dir);
    if (!FolderExists(dir)) {
      std::string line = "Can't create directory " + dir + " .";
      if (system.LastError() == qv::err::AlreadyExists) line += " A file by that name already exists.";
      DebugLog(line);
      errorMessage_ = line;
      SkipBytes(stream_, header.Size);
      return false;
    }
  }
  if (FileExists(target)) files.SetAttributes(target, qv::fattr::Archive);

  qv::FileHandle h = 0;
  if (files.Open(target, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, h) !=
      qv::err::Success) {
    DebugLog("Cant create file " + target);
    errorMessage_ = "Cant create file " + target;
    SkipBytes(stream_, header.Size);
    return false;
  }
  bool failed = false;
  qv::WinError writeError = qv::err::Success;
  std::uint32_t copied = 0;
  {
    qv::FileCloser closer(files, h);
    const std::uint32_t block = std::min(copyBlock_, header.Size);
    std::uint8_t* buffer = Buffer(block);
    while (copied < header.Size) {
      std::uint32_t n = std::min(block, header.Size - copied);
      stream_.ReadBuffer(buffer, n);
      copied += n;
      std::uint32_t done = 0;
      writeError = files.Write(h, buffer, n, done);
      if (writeError != qv::err::Success || done < n) {
        if (writeError == qv::err::Success) writeError = qv::err::DiskFull;
        DebugLog("Error " + std::to_string(writeError) + " writing to file.");
        failed = true;
        break;
      }
    }
    // The times go on through the handle that wrote the bytes, after the
    // last write.
    if (!failed)
      files.SetTimes(h, &header.CreationTime, &header.LastAccessTime, &header.LastWriteTime);
  }
  if (failed) {
    // A file written in part is no copy: it goes, and the rest of its
    // record is passed over so that the stream stays in step.
    files.Remove(target);
    SkipBytes(stream_, header.Size - copied);
    std::string text = system.ErrorMessage(writeError);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    errorMessage_ = "Error writing file " + target + (text.empty() ? "" : " : " + text);
    return false;
  }
  files.SetAttributes(target, header.Attributes);
  return true;
}
