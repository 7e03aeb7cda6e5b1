// The Windows constants the portable code uses, under names that cannot clash with <windows.h>'s macros.
// The Win32 adapters pass them to Windows unchanged; tests pin the raw values they stand for.
#pragma once

#include <cstdint>

namespace velora::win {

// System error codes.
constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorInvalidData = 13;
constexpr std::uint32_t kErrorWriteFault = 29;
constexpr std::uint32_t kErrorReadFault = 30;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorHandleEof = 38;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorProcNotFound = 127;
constexpr std::uint32_t kErrorStoppedOnSymlink = 681;
constexpr std::uint32_t kErrorElevationRequired = 740;
constexpr std::uint32_t kErrorEnvvarNotFound = 203;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;
constexpr std::uint32_t kErrorResourceNameNotFound = 1814;
constexpr std::uint32_t kErrorUnsupportedType = 1630;  ///< as RegGetValueA reports a value of another type

// Registry.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeyAllAccess = 0x000F003F;
constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

// Files.
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kFileShareNone = 0;
constexpr std::uint32_t kFileShareRead = 0x1;
constexpr std::uint32_t kFileShareWrite = 0x2;
constexpr std::uint32_t kFileShareDelete = 0x4;
constexpr std::uint32_t kFileAppendData = 0x0004;
constexpr std::uint32_t kFileReadAttributes = 0x0080;
constexpr std::uint32_t kFileTraverse = 0x0020;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kOpenAlways = 4;
constexpr std::uint32_t kFileFlagOpenReparsePoint = 0x00200000;
constexpr std::uint32_t kFileFlagBackupSemantics = 0x02000000;  ///< needed to open a folder
constexpr std::uint32_t kFileAttributeHidden = 0x2;
constexpr std::uint32_t kFileAttributeSystem = 0x4;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
constexpr std::uint32_t kMoveFileReplaceExisting = 0x1;
constexpr std::uint32_t kMoveFileWriteThrough = 0x8;

// Message boxes.
constexpr std::uint32_t kMbOk = 0x0;
constexpr std::uint32_t kMbYesNo = 0x4;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbIconQuestion = 0x20;
constexpr std::uint32_t kMbTaskModal = 0x2000;
constexpr std::uint32_t kMbTopmost = 0x40000;
constexpr std::uint32_t kMbServiceNotification = 0x00200000;
constexpr std::uint32_t kErrorBoxStyle = kMbOk | kMbIconError | kMbServiceNotification;
constexpr std::uint32_t kQuestionBoxStyle = kMbYesNo | kMbIconQuestion | kMbTaskModal | kMbTopmost;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr std::uint16_t kLangRussianNeutral = 0x0019;

// Windows and messages.
constexpr std::uint32_t kWmQuit = 0x0012;
constexpr int kSmCxScreen = 0;
constexpr int kSmCyScreen = 1;
constexpr int kSmTabletPc = 86;
constexpr int kSmMediaCenter = 87;
constexpr int kSmStarter = 88;
constexpr int kSmServerR2 = 89;
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;

// Processes.
constexpr std::uint32_t kCreateNewConsole = 0x10;
constexpr std::uint32_t kCreateNewProcessGroup = 0x200;

// Version facts.
constexpr std::uint32_t kVerPlatformWin32Windows = 1;
constexpr std::uint32_t kVerPlatformWin32Nt = 2;
constexpr std::uint8_t kVerNtWorkstation = 1;
constexpr std::uint8_t kVerNtDomainController = 2;
constexpr std::uint8_t kVerNtServer = 3;
constexpr std::uint16_t kProcessorArchitectureIntel = 0;
constexpr std::uint16_t kProcessorArchitectureIa64 = 6;
constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;

// Library loading.
constexpr std::uint32_t kLoadLibrarySearchSystem32 = 0x00000800;

// Waiting for another process, and the sessions of a service.
constexpr std::uint32_t kWaitTimeout = 258;  ///< WAIT_TIMEOUT, as WaitForSingleObject returns it
constexpr std::uint32_t kErrorNoToken = 1008;
constexpr std::uint32_t kServiceSession = 0;   ///< services run in session 0, apart from every desktop
constexpr std::uint32_t kWtsActive = 0;        ///< WTS_CONNECTSTATE_CLASS: a user works in the session
constexpr std::uint32_t kWtsDisconnected = 4;  ///< signed in, its programs running, nobody at it

}  // namespace velora::win
