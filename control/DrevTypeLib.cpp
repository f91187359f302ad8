// The type library description of DREV 1.0, built once from the tables below.
#include "control/DrevTypeLib.h"

#include <string>
#include <vector>

#include "control/DispIds.h"
#include "control/Identifiers.h"
#include "platform/text/text.h"

namespace drev {

namespace {

using plat::com::TypeMember;
using plat::com::TypeParam;
using plat::com::VARTYPE;
using namespace plat::com;  // VT_* names

std::string MethodHelp(const std::string& name) { return plat::text::Ansi("메서드 ") + name; }
std::string PropertyHelp(const std::string& name) { return plat::text::Ansi("속성 ") + name; }

TypeMember Method(DISPID id, std::string name, VARTYPE result, std::vector<TypeParam> params = {}) {
  std::string help = MethodHelp(name);
  return TypeMember{id, std::move(name), std::move(params), result, std::move(help)};
}

TypeMember Property(DISPID id, std::string name, VARTYPE type) {
  std::string help = PropertyHelp(name);
  return TypeMember{id, std::move(name), {}, type, std::move(help)};
}

TypeDispInterface DispatchInterface() {
  namespace d = dispid;
  TypeDispInterface itf;
  itf.iid = DIID__DDrev;
  itf.name = "_DDrev";
  itf.helpString = plat::text::Ansi("UploadList Control의 디스패치 인터페이스");
  itf.properties = {
      Property(d::PID, "PID", VT_BSTR),
      Property(d::ActionTime, "ActionTime", VT_BSTR),
      Property(d::BIG_UploadURL, "BIG_UploadURL", VT_BSTR),
      Property(d::BIG_PrecheckURL, "BIG_PrecheckURL", VT_BSTR),
      Property(d::BIG_ServerName, "BIG_ServerName", VT_BSTR),
      Property(d::MaxNormalSize, "MaxNormalSize", VT_I4),
      Property(d::MinBigFileSize, "MinBigFileSize", VT_I4),
      Property(d::MaxFileCount, "MaxFileCount", VT_I4),
      Property(d::BIG_ExpireDay, "BIG_ExpireDay", VT_I4),
      Property(d::Normal_ServerName, "Normal_ServerName", VT_BSTR),
  };
  // BIG_ServerName carries the help string of the server name it once was.
  itf.properties[4].helpString = PropertyHelp("ServerName");
  itf.methods = {
      Method(d::DeleteSelectedItem, "DeleteSelectedItem", VT_EMPTY),
      Method(d::UploadFiles, "UploadFiles", VT_BOOL),
      Method(d::AttachFiles, "AttachFiles", VT_EMPTY),
      Method(d::DeleteAllItem, "DeleteAllItem", VT_EMPTY, {{"uType", VT_UI2}}),
      Method(d::AddParameter, "AddParameter", VT_EMPTY, {{"paramName", VT_BSTR}, {"paramValue", VT_BSTR}}),
      Method(d::SetReferer, "SetReferer", VT_EMPTY, {{"strRefer", VT_BSTR}}),
      Method(d::GetServerResponse, "GetServerResponse", VT_BSTR),
      Method(d::AddImage, "AddImage", VT_EMPTY, {{"paramName", VT_BSTR}, {"strFilePath", VT_BSTR}}),
      Method(d::GetFileCount, "GetFileCount", VT_I2, {{"FILE_TYPE", VT_BSTR}}),
      Method(d::SetMaxFileSize, "SetMaxFileSize", VT_EMPTY, {{"maxFileSize", VT_I4}}),
      Method(d::AddDeleteFile, "AddDeleteFile", VT_EMPTY,
             {{"fileid", VT_I4}, {"filesize", VT_I4}, {"bIsImage", VT_BOOL}}),
      Method(d::AddPreUploadFile, "AddPreUploadFile", VT_EMPTY,
             {{"filename", VT_BSTR}, {"fileid", VT_I4}, {"filesize", VT_I4}, {"bIsImageFile", VT_BOOL}}),
      Method(d::GetDeleteFileList, "GetDeleteFileList", VT_BSTR),
      Method(d::SetUploadSize, "SetUploadSize", VT_EMPTY, {{"uploadsize", VT_I4}}),
      Method(d::SetMaxUploadSize, "SetMaxUploadSize", VT_EMPTY, {{"uploadsize", VT_I4}}),
      Method(d::test, "test", VT_EMPTY, {{"message", VT_BSTR}}),
      Method(d::GetUploadSize, "GetUploadSize", VT_I4),
      Method(d::setScrapYn, "setScrapYn", VT_EMPTY, {{"scrapYn", VT_BOOL}}),
      Method(d::getScrapYn, "getScrapYn", VT_BOOL),
  };
  return itf;
}

TypeDispInterface EventInterface() {
  namespace d = dispid;
  TypeDispInterface itf;
  itf.iid = DIID__DDrevEvents;
  itf.name = "_DDrevEvents";
  itf.helpString = plat::text::Ansi("UploadList Control의 이벤트 인터페이스");
  itf.methods = {
      Method(d::CancelUpload, "CancelUpload", VT_EMPTY),
      Method(d::StartUpload, "StartUpload", VT_EMPTY),
      Method(d::FinishUpload, "FinishUpload", VT_EMPTY),
      Method(d::ChangeFileList, "ChangeFileList", VT_EMPTY, {{"NormalSize", VT_BSTR}, {"BigSize", VT_BSTR}}),
      Method(d::UploadFinished, "UploadFinished", VT_EMPTY),
      Method(d::OnContentReceived, "OnContentReceived", VT_EMPTY, {{"content", VT_BSTR}}),
      Method(d::OnFileDeleted, "OnFileDeleted", VT_EMPTY,
             {{"deletedFileSize", VT_I4}, {"totalFileSize", VT_I4}}),
      Method(d::OnFileAppended, "OnFileAppended", VT_EMPTY,
             {{"appendedFileSize", VT_I4}, {"totalSize", VT_I4}}),
      Method(d::UploadFailed, "UploadFailed", VT_EMPTY, {{"status", VT_I4}, {"reason", VT_BSTR}}),
  };
  return itf;
}

TypeLibrary Build() {
  TypeLibrary lib;
  lib.libid = LIBID_DREV;
  lib.name = "DREV";
  lib.majorVersion = kTypeLibMajor;
  lib.minorVersion = kTypeLibMinor;
  lib.lcid = kTypeLibLcid;
  lib.helpFile = "DREV.hlp";
  lib.helpString = plat::text::Ansi("DREV ActiveX 컨트롤 모듈");
  lib.control = true;
  lib.interfaces = {DispatchInterface(), EventInterface()};
  TypeCoClass coclass;
  coclass.clsid = CLSID_DREV;
  coclass.name = "DREV";
  coclass.helpString = plat::text::Ansi("UploadList Control");
  coclass.control = true;
  coclass.defaultInterface = "_DDrev";
  coclass.defaultSource = "_DDrevEvents";
  lib.coclasses = {coclass};
  return lib;
}

}  // namespace

const plat::com::TypeLibrary& DrevTypeLibrary() {
  static const plat::com::TypeLibrary library = Build();
  return library;
}

}  // namespace drev
