// File records: whole files carried inside a connection.
//
// A record is the file's name, size, attributes, three times and checksum,
// followed by its bytes. TFileWriter puts a file into a stream; TFileReader
// recreates it (times and attributes kept) or passes over it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "stream/connection.h"

struct TFileTransferHeader {
  std::string Name;
  std::uint32_t Size = 0;
  std::uint32_t Attributes = 0;
  std::uint64_t CreationTime = 0;
  std::uint64_t LastAccessTime = 0;
  std::uint64_t LastWriteTime = 0;
  std::uint32_t Checksum = 0;

  bool Write(TConnection& stream) const;
  // Failures surface as the stream's read error.
  bool Read(TConnection& stream);
};

class TFileTransfer {
 public:
  explicit TFileTransfer(TConnection& stream);
  virtual ~TFileTransfer();

  // Fills a header from a file on disk, its checksum included.
  bool GetFileInfo(const std::string& path, TFileTransferHeader& header);
  const std::string& ErrorMessage() const { return errorMessage_; }

 protected:
  // Fills a header from an open file, all but its checksum (left 0); false
  // for a file too large for a record.
  bool Describe(qv::FileHandle h, const std::string& path, TFileTransferHeader& header);

  // The copy buffer, at least `size` bytes: grown (never shrunk) when a
  // larger block is needed. Raises "Insufficient memory." when it cannot be.
  std::uint8_t* Buffer(std::uint32_t size);

  TConnection& stream_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t bufferSize_ = 0;
  std::uint32_t blockSize_ = 0;  // the stream's transfer block
  std::uint32_t copyBlock_ = 0;  // what whole files are copied in, >= blockSize_
  std::string errorMessage_;
};

class TFileWriter : public TFileTransfer {
 public:
  using TFileTransfer::TFileTransfer;
  ~TFileWriter() override;
  // Whether WriteFile can carry the file: it opens for reading and fits a
  // record. On false ErrorMessage says so, as WriteFile would. On true the
  // file stays open for a WriteFile of the same path that follows.
  bool CanRead(const std::string& path);
  bool WriteFile(const std::string& path);

 private:
  // Closes the file CanRead left open, if any.
  void Release();

  // For streams that cannot go back over their data: the checksum is taken
  // in a first read of the file, the bytes copied in a second.
  bool WriteReadingTwice(const std::string& path);
  // Copies `size` bytes of an open file to the stream (adding them to *sum
  // when given); a file that ends early is filled up with zeros and false.
  bool CopyData(qv::FileHandle h, std::uint32_t size, std::uint32_t* sum);

  qv::FileHandle held_ = 0;  // what CanRead opened, for WriteFile
  std::string heldPath_;
};

class TFileReader : public TFileTransfer {
 public:
  TFileReader(TConnection& stream, bool compareByDate, bool compareByChecksum);

  // Recreates the next record's file as `targetName` (or under its stored
  // name). Without `force`, a file that ShouldReplace keeps is passed over.
  bool ReadFile(bool force, const std::string& targetName = std::string());
  // Passes over the next record.
  bool SkipFile();
  bool ShouldReplace(const TFileTransferHeader& header, const std::string& target);

  bool ComparebyDate;
  bool ComparebyChecksum;
};

// Moves a reading stream forward by `count` bytes (more than a 32-bit seek).
void SkipBytes(TConnection& stream, std::uint32_t count);
