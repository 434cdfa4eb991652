// Explorer's folder options, the Explorer window's view and the view most
// folders are shown with.
#pragma once

#include <cstdint>

#include "engine/settings.h"

// "Shell": the options live in binary registry values whose bits are read
// and patched in place; Windows 98 keeps two of them as DWORDs instead.
class TShellSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

  // Sort types and view types as the payload numbers them.
  enum SortType : std::int32_t { stName = 0, stType = 1, stSize = 2, stDate = 3 };
  enum ViewType : std::int32_t { vtLargeIcons = 0, vtSmallIcons = 1, vtList = 2, vtDetails = 3 };

 private:
  void GatherFolderOptions();
  void GatherExplorerView();
  void GatherCommonView();
  void ApplyFolderOptions();
  void ApplyExplorerView();
  void ApplyCommonView();
  void DescribeViews(TConnection& stream);

  // Folder options.
  bool BrowseSeparateWindows = false;
  bool ShowAllFiles = true;
  bool FullPathInTitle = false;
  bool ShowExtensions = true;
  // The Explorer window.
  bool ExplorerToolbar = false;
  bool ExplorerStatusBar = false;
  bool ExplorerSortOrder = true;
  std::int32_t Reserved = 0;
  std::int32_t ExplorerViewType = vtLargeIcons;
  // The most common folder view.
  bool CommonToolbar = true;
  bool CommonStatusBar = true;
  bool CommonSortAscending = false;
  std::int32_t CommonSortType = stName;
  std::int32_t CommonViewType = vtLargeIcons;
};
