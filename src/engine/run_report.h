// The report of the last save or load run.
#pragma once

#include <string>
#include <vector>

class TConnection;

class TRunReport {
 public:
  // The run's stream: lines are collected as its comments.
  void Attach(TConnection* connection);
  void ClearLines();
  void WriteHeader(const std::string& settingsFile, const std::string& backupFile, bool isLoad);
  void WriteTail();
  void CollectComments();
  bool HasLines() const { return !lines_.empty(); }
  const std::vector<std::string>& Lines() const { return lines_; }
  // Writes the lines as a text file; failures show the error unless quiet.
  bool SaveReport(const std::string& fileName);

 private:
  TConnection* connection_ = nullptr;
  std::vector<std::string> lines_;
};
