#include "Causes.h"

#include "platform/FileSystem.h"

Cause CauseOf(platform::Failure failure) {
    using platform::Failure;
    switch (failure) {
        case Failure::NoAnswer:
            return Cause::NoAnswer;
        case Failure::InUse:
            return Cause::InUse;
        case Failure::NoPermission:
            return Cause::NoPermission;
        case Failure::InUseOrNoPermission:
            return Cause::InUseOrNoPermission;
        case Failure::ReadOnlyDrive:
            return Cause::ReadOnlyDrive;
        case Failure::DiskFull:
            return Cause::DiskFull;
        case Failure::Taken:
            return Cause::Taken;
        case Failure::BadName:
            return Cause::BadName;
        case Failure::NameTooLong:
            return Cause::TooLong;
        case Failure::OtherDevice:
            return Cause::OtherDevice;
        case Failure::None:
        case Failure::Missing:
        case Failure::Other:
            break;
    }
    return Cause::DiskError;
}
