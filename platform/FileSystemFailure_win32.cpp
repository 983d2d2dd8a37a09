// Windows' errors sorted into the platform's failures.
#include "FileSystem.h"

#include <windows.h>

#include "FileSystemInternal.h"

namespace platform {

namespace {

// The errors a user meets, sorted by what the user can do about them; any other is a
// disk error.
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
        // A symbolic link made without the right to make one; a share, or a folder only
        // an administrator may change.
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NETWORK_ACCESS_DENIED:
            return Failure::NoPermission;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_DRIVE_LOCKED:
            return Failure::InUse;
        case ERROR_WRITE_PROTECT:
            return Failure::ReadOnlyDrive;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Failure::DiskFull;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return Failure::BadName;
        case ERROR_FILENAME_EXCED_RANGE:
            return Failure::NameTooLong;
        case ERROR_NOT_SAME_DEVICE:
            return Failure::OtherDevice;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Failure::Missing;
        // A share, its server or the network to it gone, busy or failing; a disk that
        // fails or was pulled out.
        case ERROR_NETNAME_DELETED:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_NET_RESP:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_BUSY:
        case ERROR_REM_NOT_LIST:
        case ERROR_REQ_NOT_ACCEP:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_HOST_UNREACHABLE:
        case ERROR_NO_NETWORK:
        case ERROR_CONNECTION_ABORTED:
        case ERROR_VC_DISCONNECTED:
        case ERROR_SEM_TIMEOUT:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_NOT_READY:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_CRC:
            return Failure::NoAnswer;
        // A file kept in the cloud whose provider does not run, or a link Windows cannot
        // follow: a disk error, whose remedy is to check that the file is still there.
        case ERROR_CANT_ACCESS_FILE:
        default:
            return Failure::Other;
    }
}

}  // namespace

Failure internal::SystemFailure() { return FailureOf(GetLastError()); }

}  // namespace platform
