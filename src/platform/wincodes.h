// Windows numbers that cross the platform seam: error codes, HRESULTs, access
// masks, registry types, file flags, CSIDLs and shell events. Named with a
// leading c so that they never collide with the <windows.h> macros.
#pragma once
#include <cstdint>

// Win32 error codes
constexpr std::uint32_t cErrSuccess = 0;
constexpr std::uint32_t cErrFileNotFound = 2;
constexpr std::uint32_t cErrPathNotFound = 3;
constexpr std::uint32_t cErrAccessDenied = 5;
constexpr std::uint32_t cErrInvalidHandle = 6;
constexpr std::uint32_t cErrNotEnoughMemory = 8;
constexpr std::uint32_t cErrWriteFault = 29;
constexpr std::uint32_t cErrSharingViolation = 32;
constexpr std::uint32_t cErrLockViolation = 33;
constexpr std::uint32_t cErrDiskFull = 112;
constexpr std::uint32_t cErrInvalidParameter = 87;
constexpr std::uint32_t cErrDirNotEmpty = 145;
constexpr std::uint32_t cErrAlreadyExists = 183;
constexpr std::uint32_t cErrMoreData = 234;
constexpr std::uint32_t cErrNoMoreItems = 259;
constexpr std::uint32_t cErrResourceNotFound = 1814;
constexpr std::uint32_t cErrFileExists = 80;
constexpr std::uint32_t cErrKeyDeleted = 1018;
constexpr std::uint32_t cWaitTimeout = 258;
// A file, folder, key or value that is not there (2 or 3): for removals, already gone.
constexpr bool IsNotFound(std::uint32_t err) { return err == cErrFileNotFound || err == cErrPathNotFound; }

// HRESULTs
constexpr std::int32_t cS_OK = 0;
constexpr std::int32_t cS_FALSE = 1;
constexpr std::int32_t cE_FAIL = static_cast<std::int32_t>(0x80004005u);
constexpr std::int32_t cE_NOINTERFACE = static_cast<std::int32_t>(0x80004002u);
constexpr std::int32_t cE_UNEXPECTED = static_cast<std::int32_t>(0x8000FFFFu);
constexpr std::int32_t cE_ACCESSDENIED = static_cast<std::int32_t>(0x80070005u);
constexpr std::int32_t cE_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000Eu);
constexpr std::int32_t cE_INVALIDARG = static_cast<std::int32_t>(0x80070057u);
constexpr std::int32_t cREGDB_E_CLASSNOTREG = static_cast<std::int32_t>(0x80040154u);
constexpr std::int32_t HResultFromWin32(std::uint32_t err) {
  return err == 0 ? 0 : static_cast<std::int32_t>((err & 0xFFFFu) | 0x80070000u);
}

// Registry
constexpr std::uint32_t cKeyQueryValue = 0x0001;
constexpr std::uint32_t cKeySetValue = 0x0002;
constexpr std::uint32_t cKeyCreateSubKey = 0x0004;
constexpr std::uint32_t cKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t cKeyRead = 0x20019;
constexpr std::uint32_t cKeyWow64_64Key = 0x0100;
constexpr std::uint32_t cKeyWow64_32Key = 0x0200;
constexpr std::uint32_t cRegNone = 0;
constexpr std::uint32_t cRegSz = 1;
constexpr std::uint32_t cRegExpandSz = 2;
constexpr std::uint32_t cRegBinary = 3;
constexpr std::uint32_t cRegDword = 4;
constexpr std::uint32_t cRegMultiSz = 7;
constexpr std::uint32_t cRegCreatedNewKey = 1;
constexpr std::uint32_t cRegOpenedExistingKey = 2;

// Files
constexpr std::uint32_t cGenericRead = 0x80000000u;
constexpr std::uint32_t cGenericWrite = 0x40000000u;
constexpr std::uint32_t cFileWriteData = 0x0002;
// Alone (without write data): every write goes to the end of the file.
constexpr std::uint32_t cFileAppendData = 0x0004;
constexpr std::uint32_t cFileShareRead = 1;
constexpr std::uint32_t cFileShareWrite = 2;
constexpr std::uint32_t cFileShareDelete = 4;
constexpr std::uint32_t cCreateAlways = 2;
constexpr std::uint32_t cOpenExisting = 3;
constexpr std::uint32_t cOpenAlwaysDisposition = 4;
constexpr std::uint32_t cFileBegin = 0;
constexpr std::uint32_t cFileCurrent = 1;
constexpr std::uint32_t cFileEnd = 2;
constexpr std::uint32_t cFileAttributeReadonly = 0x01;
constexpr std::uint32_t cFileAttributeNormal = 0x80;
constexpr std::uint32_t cFileFlagBackupSemantics = 0x02000000u;
// Guarded files: what a link, a junction or someone else's file looks like.
constexpr std::uint32_t cFileReadAttributes = 0x0080;
constexpr std::uint32_t cReadControl = 0x00020000u;  // reading the owner
constexpr std::uint32_t cCreateNewDisposition = 1;
constexpr std::uint32_t cFileAttributeDirectory = 0x10;
constexpr std::uint32_t cFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t cFileFlagOpenReparsePoint = 0x00200000u;
constexpr std::uint32_t cIoReparseTagMountPoint = 0xA0000003u;  // junctions and mounted volumes
constexpr std::uint32_t cIoReparseTagSymlink = 0xA000000Cu;
constexpr std::uint32_t cErrProcNotFound = 127;  // the system lacks the function
constexpr std::uint32_t cMoveFileReplaceExisting = 0x1;
constexpr std::uint32_t cMoveFileDelayUntilReboot = 0x4;

// Resource types
constexpr std::uint32_t cRtRcData = 10;   // raw data (the payload records)
constexpr std::uint32_t cRtVersion = 16;  // version information block

// Special folders
constexpr int cCsidlDesktop = 0x00;
constexpr int cCsidlCommonPrograms = 0x17;
constexpr int cCsidlCommonDesktopDirectory = 0x19;
constexpr int cCsidlProgramFiles = 0x26;

// Shell change notifications
constexpr std::int32_t cShcneMkdir = 0x8;
constexpr std::int32_t cShcneUpdateDir = 0x1000;
constexpr std::int32_t cShcneDelete = 0x4;
constexpr std::int32_t cShcneRmdir = 0x10;
constexpr std::int32_t cShcneAssocChanged = 0x08000000;
constexpr std::uint32_t cShcnfIdList = 0;
constexpr std::uint32_t cShcnfPathW = 5;

// Window messages
constexpr std::uint32_t cWmApp = 0x8000;
