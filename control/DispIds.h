// The dispatch ids of the control's methods, properties and events, as pages and the type library
// know them.
#pragma once

#include "platform/com/dispatch.h"

namespace drev::dispid {

using plat::com::DISPID;

// Methods of _DDrev.
inline constexpr DISPID DeleteSelectedItem = 1;
inline constexpr DISPID UploadFiles = 2;
inline constexpr DISPID AttachFiles = 3;
inline constexpr DISPID DeleteAllItem = 4;
inline constexpr DISPID AddParameter = 22;
inline constexpr DISPID SetReferer = 23;
inline constexpr DISPID GetServerResponse = 24;
inline constexpr DISPID AddImage = 28;
inline constexpr DISPID GetFileCount = 29;
inline constexpr DISPID SetMaxFileSize = 30;
inline constexpr DISPID AddDeleteFile = 31;
inline constexpr DISPID AddPreUploadFile = 32;
inline constexpr DISPID GetDeleteFileList = 33;
inline constexpr DISPID SetUploadSize = 34;
inline constexpr DISPID SetMaxUploadSize = 35;
inline constexpr DISPID test = 36;
inline constexpr DISPID GetUploadSize = 37;
inline constexpr DISPID setScrapYn = 38;
inline constexpr DISPID getScrapYn = 39;

// Properties of _DDrev (the implemented five, then the six that are only declared).
inline constexpr DISPID ActionTime = 10;
inline constexpr DISPID MaxNormalSize = 14;
inline constexpr DISPID MaxFileCount = 16;
inline constexpr DISPID Normal_ServerName = 18;
inline constexpr DISPID Normal_UploadURL = 19;
inline constexpr DISPID PID = 9;
inline constexpr DISPID BIG_UploadURL = 11;
inline constexpr DISPID BIG_PrecheckURL = 12;
inline constexpr DISPID BIG_ServerName = 13;
inline constexpr DISPID MinBigFileSize = 15;
inline constexpr DISPID BIG_ExpireDay = 17;

// Events of _DDrevEvents.
inline constexpr DISPID CancelUpload = 1;
inline constexpr DISPID StartUpload = 2;
inline constexpr DISPID FinishUpload = 3;
inline constexpr DISPID ChangeFileList = 4;
inline constexpr DISPID UploadFinished = 5;
inline constexpr DISPID OnContentReceived = 6;
inline constexpr DISPID OnFileDeleted = 7;
inline constexpr DISPID OnFileAppended = 8;
inline constexpr DISPID UploadFailed = 9;

}  // namespace drev::dispid
