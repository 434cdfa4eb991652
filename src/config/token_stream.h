// Text-line file stream of configuration files.
//
// Lines are written as the text, one blank and CR LF; they are read up to
// the next LF with every CR dropped and blanks and control characters
// trimmed from both ends. Tokenize splits a line into blank-separated
// tokens, double quotes grouping blanks into a token.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "stream/connection.h"

// A configuration file that cannot be created, opened, read or written.
class EFileStreamError : public Exception {
 public:
  using Exception::Exception;
};

class TTokenStream {
 public:
  enum class Mode {
    Create,  // create the file, overwriting one that exists
    Read,    // open an existing file for reading
  };

  // Raises EFileStreamError when the file cannot be created or opened.
  TTokenStream(const std::string& fileName, Mode mode);
  ~TTokenStream();
  TTokenStream(const TTokenStream&) = delete;
  TTokenStream& operator=(const TTokenStream&) = delete;

  // Raises EFileStreamError when the file cannot be written.
  void WriteLine(std::string_view text);
  // The next line, trimmed; "" at the end of the file. Raises
  // EFileStreamError when the file cannot be read.
  std::string ReadLine();
  bool AtEnd();

  static std::vector<std::string> Tokenize(std::string_view line);

  // Characters kept of one line; the rest of a longer line is skipped. No
  // line of a configuration file comes anywhere near it.
  static constexpr std::size_t kMaxLineLength = 64 * 1024;

 private:
  bool Fill();
  [[noreturn]] void Fail(const std::string& what, qv::WinError code);

  qv::IFiles& files_;
  std::string fileName_;
  qv::FileHandle handle_ = 0;
  std::vector<char> buffer_;
  std::size_t bufferPos_ = 0;
  std::size_t bufferLen_ = 0;
  bool eof_ = false;
};
