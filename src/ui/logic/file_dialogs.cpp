#include "ui/logic/file_dialogs.h"

const TFileDialogSpec kOpenConfigDialog = {"Select Configuration file", "CFG",
                                           "QRV Configuration files (*.cfg)|*.CFG"};
const TFileDialogSpec kSaveConfigDialog = {"Save Configuration file as", "CFG",
                                           "QRV Configuration files (*.cfg)|*.CFG"};
const TFileDialogSpec kAddFilesDialog = {"Add files", "", "All Files (*.*)|*.*"};
const TFileDialogSpec kSaveReportDialog = {"Save Report", "TXT", "Text Documents (*.txt)|*.TXT"};
const TFileDialogSpec kLoadSettingsDialog = {"Load Settings", "qrv", "QRV files (*.qrv)|*.QRV"};
const TFileDialogSpec kSaveSettingsDialog = {"Save Settings as", "QRV",
                                             "QRV files (*.qrv)|*.QRV"};
