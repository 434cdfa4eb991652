// Connections: the typed sequential streams everything is written through.
//
// Integers are 4 bytes little-endian, booleans integers 1 or 0 (read as true
// only for 1), bytes 1 byte, strings a 4-byte length and the ANSI bytes
// without terminator, raw blocks no length at all. Reader and writer issue
// the same calls in the same order. Every connection below the base keeps a
// list of comment lines: the report of a run.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

// The general error: resource failures ("Insufficient memory.",
// "Insufficient disk space") raised by streams and caught by the runs.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A read past the end of a stream, or a seek outside it.
class EConnectionReadError : public Exception {
 public:
  using Exception::Exception;
};

// The one settings-file magic.
inline constexpr const char* kSettingsMagic = "ZTR QRV";
// The one format version.
inline constexpr std::int32_t kConnectionVersion = 124;

class TConnection {
 public:
  TConnection();
  virtual ~TConnection();
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  // Typed values. The key names what is read or written; no stream stores it.
  virtual bool ReadBoolean(std::string_view key = {});
  virtual void WriteBoolean(bool value, std::string_view key = {});
  virtual std::int32_t ReadInteger(std::string_view key = {});
  virtual void WriteInteger(std::int32_t value, std::string_view key = {});
  virtual std::string ReadString(std::string_view key = {});
  virtual void WriteString(std::string_view value, std::string_view key = {});
  virtual std::uint32_t ReadBuffer(void* buffer, std::uint32_t count);
  virtual void WriteBuffer(const void* buffer, std::uint32_t count);
  virtual std::uint8_t ReadByte(std::string_view key = {});
  virtual void WriteByte(std::uint8_t value, std::string_view key = {});

  virtual bool IsOpen();
  virtual bool Initialize();
  virtual bool Clear();
  // Moves relative to the current position.
  virtual bool Seek(std::int32_t delta);
  virtual std::int32_t GetPosition();
  virtual std::int32_t GetTransferBlockSize();
  virtual void DumpState();
  virtual void AddComment(const std::string& line);
  virtual bool IsWriter();
  virtual bool IsReader();
  virtual bool Rewind();
  // The comment list (owned by the stream), or null for a bare connection.
  virtual const std::vector<std::string>* GetComments();

  // Bytes a reader can still deliver, or -1 when the stream cannot tell.
  virtual std::int64_t Remaining();
  // Raises EConnectionReadError "Attempt to read past end of file." when the
  // stream knows it holds fewer than `bytes` more bytes. Readers call it
  // before reserving memory for a size or count taken from the stream.
  void RequireAvailable(std::uint64_t bytes);

  // Writers that can go back over what they wrote: PatchBack overwrites
  // `count` bytes that begin `back` bytes before the end of the data written
  // so far, and leaves the stream at that end. Copies of whole files use it
  // to read each file once and put the record's checksum in afterwards.
  virtual bool CanPatchBack();
  virtual void PatchBack(std::uint64_t back, const void* data, std::uint32_t count);
  // The block a file record is copied through: GetTransferBlockSize, or more
  // where the size of the single reads and writes does not show.
  virtual std::int32_t GetCopyBlockSize();

  std::int32_t OSVersion;             // OSKind of the system that wrote the data
  std::int32_t ConnectionVersion = 0;
  std::string SectionLabel;
};

// Describe-only: stores nothing, reads nothing, keeps the comment lines.
class TCommentConnection : public TConnection {
 public:
  void AddComment(const std::string& line) override;
  const std::vector<std::string>* GetComments() override;

 protected:
  std::vector<std::string> comments_;
};

class TMemoryConnection : public TCommentConnection {
 public:
  ~TMemoryConnection() override;

  bool IsOpen() override;
  bool Clear() override;
  std::int32_t GetPosition() override;
  std::int32_t GetTransferBlockSize() override;
  void DumpState() override;
  bool Rewind() override;

  // The buffer and its allocated size (for a writer at least the data length).
  void GetBuffer(const std::uint8_t*& block, std::uint32_t& size) const;
  // Replaces the buffer with a copy of `size` bytes; position 0.
  void SetBuffer(const std::uint8_t* block, std::uint32_t size);
  // Writes the header and the data (the first Position bytes) to a file.
  bool WriteToFile(const std::string& fileName, const std::string& magic);

  std::uint32_t Capacity() const { return capacity_; }
  std::uint32_t Position() const { return position_; }
  const std::string& LastError() const { return lastError_; }

 protected:
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t capacity_ = 0;
  std::uint32_t position_ = 0;
  std::string lastError_;
};

class TReadMemoryConnection : public TMemoryConnection {
 public:
  std::uint32_t ReadBuffer(void* buffer, std::uint32_t count) override;
  bool Seek(std::int32_t delta) override;
  bool IsReader() override;
  std::int64_t Remaining() override;
};

class TWriteMemoryConnection : public TMemoryConnection {
 public:
  void WriteBuffer(const void* buffer, std::uint32_t count) override;
  bool Initialize() override;
  bool IsWriter() override;
  bool CanPatchBack() override;
  void PatchBack(std::uint64_t back, const void* data, std::uint32_t count) override;
};

class TFileConnection : public TCommentConnection {
 public:
  ~TFileConnection() override;

  bool IsOpen() override;
  bool Seek(std::int32_t delta) override;
  std::int32_t GetPosition() override;
  void DumpState() override;
  bool Rewind() override;
  std::int32_t GetCopyBlockSize() override;

  virtual bool Open(const std::string& fileName, const std::string& magic);
  virtual bool Close();

  const std::string& LastError() const { return lastError_; }
  const std::string& FileName() const { return fileName_; }

 protected:
  std::string lastError_;
  std::string fileName_;
  qv::FileHandle file_ = 0;  // 0 when closed
};

// Small reads (typed values, names) are served from a read-ahead block, so
// that a record's header costs one file read instead of one per value;
// large reads go to the file directly.
class TReadFileConnection : public TFileConnection {
 public:
  std::uint32_t ReadBuffer(void* buffer, std::uint32_t count) override;
  bool IsReader() override;
  std::int64_t Remaining() override;
  bool Open(const std::string& fileName, const std::string& magic) override;
  bool Close() override;
  bool Seek(std::int32_t delta) override;
  std::int32_t GetPosition() override;
  bool Rewind() override;

 private:
  // Drops the read-ahead, moving the file back to the logical position.
  void DropReadAhead();

  std::unique_ptr<std::uint8_t[]> ahead_;
  std::uint32_t aheadStart_ = 0;  // next unread byte of the read-ahead
  std::uint32_t aheadEnd_ = 0;    // bytes held
  std::uint64_t size_ = 0;        // the file's size, taken at Open
  bool sizeKnown_ = false;
};

class TWriteFileConnection : public TFileConnection {
 public:
  void WriteBuffer(const void* buffer, std::uint32_t count) override;
  bool IsWriter() override;
  bool Open(const std::string& fileName, const std::string& magic) override;
  bool CanPatchBack() override;
  void PatchBack(std::uint64_t back, const void* data, std::uint32_t count) override;
};
