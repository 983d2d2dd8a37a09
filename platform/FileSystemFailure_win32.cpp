// Windows' errors sorted into the platform's failures.
#include "FileSystem.h"

#include <windows.h>

#include "FileSystemInternal.h"

namespace platform {

namespace {

Failure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
        case ERROR_DIR_NOT_EMPTY:
            return Failure::Taken;
        // Denied both for want of permission and for a file another program holds open
        // without sharing its deletion.
        case ERROR_ACCESS_DENIED:
            return Failure::InUseOrNoPermission;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Failure::InUse;
        case ERROR_WRITE_PROTECT:
            return Failure::ReadOnlyDrive;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Failure::DiskFull;
        case ERROR_INVALID_NAME:
            return Failure::BadName;
        case ERROR_FILENAME_EXCED_RANGE:
            return Failure::NameTooLong;
        case ERROR_NOT_SAME_DEVICE:
            return Failure::OtherDevice;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Failure::Missing;
        case ERROR_NETNAME_DELETED:
        case ERROR_BAD_NETPATH:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_SEM_TIMEOUT:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_NOT_READY:
        case ERROR_CRC:
            return Failure::NoAnswer;
        default:
            return Failure::Other;
    }
}

}  // namespace

Failure internal::SystemFailure() { return FailureOf(GetLastError()); }

}  // namespace platform
