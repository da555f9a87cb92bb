// Macros (@name): one list gives every macro its name and its place in the
// switch of readMacro. A macro token is resolved by its interned name id the
// first time it is read; later reads index macroByName_ and never compare
// text. Values owned by the run come from the interpreter, facts about the
// machine from platform/system_info.h; a macro never fails once its name is
// known, a failed system query simply reads as "" or 0.
#include <cstdio>

#include "engine/interpreter.h"
#include "platform/platform.h"
#include "platform/system_info.h"

namespace vx {

namespace {

#define VX_MACRO_LIST(X)                                                                                       \
  X(Error, "ERROR") X(Extended, "EXTENDED") X(MilliSecond, "MSEC") X(Second, "SEC") X(Minute, "MIN")            \
  X(Hour, "HOUR") X(MonthDay, "MDAY") X(Month, "MON") X(Year, "YEAR") X(WeekDay, "WDAY") X(YearDay, "YDAY")     \
  X(ProgramFilesDir, "PROGRAMFILESDIR") X(CommonFilesDir, "COMMONFILESDIR")                                     \
  X(MyDocumentsDir, "MYDOCUMENTSDIR") X(AppDataCommonDir, "APPDATACOMMONDIR")                                   \
  X(DesktopCommonDir, "DESKTOPCOMMONDIR") X(DocumentsCommonDir, "DOCUMENTSCOMMONDIR")                           \
  X(FavoritesCommonDir, "FAVORITESCOMMONDIR") X(ProgramsCommonDir, "PROGRAMSCOMMONDIR")                         \
  X(StartMenuCommonDir, "STARTMENUCOMMONDIR") X(StartupCommonDir, "STARTUPCOMMONDIR") X(AppDataDir, "APPDATADIR") \
  X(DesktopDir, "DESKTOPDIR") X(FavoritesDir, "FAVORITESDIR") X(ProgramsDir, "PROGRAMSDIR")                     \
  X(StartMenuDir, "STARTMENUDIR") X(StartupDir, "STARTUPDIR") X(ComputerName, "COMPUTERNAME")                   \
  X(WindowsDir, "WINDOWSDIR") X(SystemDir, "SYSTEMDIR") X(SwHide, "SW_HIDE") X(SwMinimize, "SW_MINIMIZE")       \
  X(SwMaximize, "SW_MAXIMIZE") X(SwRestore, "SW_RESTORE") X(SwShow, "SW_SHOW") X(SwShowDefault, "SW_SHOWDEFAULT") \
  X(SwEnable, "SW_ENABLE") X(SwDisable, "SW_DISABLE") X(SwShowMaximized, "SW_SHOWMAXIMIZED")                    \
  X(SwShowMinimized, "SW_SHOWMINIMIZED") X(SwShowMinNoActive, "SW_SHOWMINNOACTIVE") X(SwShowNa, "SW_SHOWNA")    \
  X(SwShowNoActivate, "SW_SHOWNOACTIVATE") X(SwShowNormal, "SW_SHOWNORMAL") X(SwLock, "SW_LOCK")                \
  X(SwUnlock, "SW_UNLOCK") X(TrayIconVisible, "TRAYICONVISIBLE") X(TrayIconFlashing, "TRAYICONFLASHING")        \
  X(ScriptFullPath, "SCRIPTFULLPATH") X(ScriptName, "SCRIPTNAME") X(ScriptDir, "SCRIPTDIR")                     \
  X(ScriptLineNumber, "SCRIPTLINENUMBER") X(WorkingDir, "WORKINGDIR") X(OsType, "OSTYPE")                       \
  X(OsVersion, "OSVERSION") X(OsBuild, "OSBUILD") X(OsServicePack, "OSSERVICEPACK") X(OsLang, "OSLANG")         \
  X(ProcessorArch, "PROCESSORARCH") X(OsArch, "OSARCH") X(CpuArch, "CPUARCH") X(KbLayout, "KBLAYOUT")           \
  X(VexletVersion, "VEXLETVERSION") X(VexletExe, "VEXLETEXE") X(IpAddress1, "IPADDRESS1")                       \
  X(IpAddress2, "IPADDRESS2") X(IpAddress3, "IPADDRESS3") X(IpAddress4, "IPADDRESS4") X(Cr, "CR") X(Lf, "LF")   \
  X(CrLf, "CRLF") X(DesktopWidth, "DESKTOPWIDTH") X(DesktopHeight, "DESKTOPHEIGHT")                             \
  X(DesktopDepth, "DESKTOPDEPTH") X(DesktopRefresh, "DESKTOPREFRESH") X(Compiled, "COMPILED")                   \
  X(ComSpec, "COMSPEC") X(Tab, "TAB") X(UserName, "USERNAME") X(TempDir, "TEMPDIR")                             \
  X(UserProfileDir, "USERPROFILEDIR") X(HomeDrive, "HOMEDRIVE") X(HomePath, "HOMEPATH")                         \
  X(HomeShare, "HOMESHARE") X(LogonServer, "LOGONSERVER") X(LogonDomain, "LOGONDOMAIN")                         \
  X(LogonDnsDomain, "LOGONDNSDOMAIN") X(InetGetBytesRead, "INETGETBYTESREAD") X(InetGetActive, "INETGETACTIVE") \
  X(NumParams, "NUMPARAMS") X(HotKeyPressed, "HOTKEYPRESSED") X(VexletPid, "VEXLETPID")                         \
  X(VexletUnicode, "VEXLETUNICODE") X(VexletX64, "VEXLETX64") X(Unicode, "UNICODE") X(MuiLang, "MUILANG")       \
  /* Set by the engine and the event families; unknown until first set. */                                     \
  X(ExitCode, "EXITCODE") X(ExitMethod, "EXITMETHOD") X(GuiCtrlId, "GUI_CTRLID")                                \
  X(GuiWinHandle, "GUI_WINHANDLE") X(GuiCtrlHandle, "GUI_CTRLHANDLE") X(TrayId, "TRAY_ID")                      \
  X(ComEventObj, "COM_EVENTOBJ") X(GuiDropId, "GUI_DROPID") X(GuiDragFile, "GUI_DRAGFILE")

enum class Macro : int16_t {
#define VX_MACRO_ENUM(id, name) id,
  VX_MACRO_LIST(VX_MACRO_ENUM)
#undef VX_MACRO_ENUM
};

const char* const kMacroNames[] = {
#define VX_MACRO_NAME(id, name) name,
    VX_MACRO_LIST(VX_MACRO_NAME)
#undef VX_MACRO_NAME
};

constexpr int16_t kNotResolved = -2;
constexpr int16_t kNoMacro = -1;

int16_t findMacro(const String& name) {
  for (size_t i = 0; i < sizeof(kMacroNames) / sizeof(kMacroNames[0]); ++i) {
    if (name.equalsAscii(kMacroNames[i])) return static_cast<int16_t>(i);
  }
  return kNoMacro;
}

String digits(int value, int width) {
  char text[16];
  snprintf(text, sizeof(text), "%0*d", width, value);
  return String::fromAscii(text);
}

// Windows versions newer than the ones the table of names started with are
// named in the same pattern, so a current system does not read as UNKNOWN.
const char* osVersionName(const platform::OsVersion& v) {
  if (v.major == 10 && v.minor == 0) return v.server ? "WIN_2016" : "WIN_10";
  if (v.major == 6 && v.minor == 3) return v.server ? "WIN_2012R2" : "WIN_81";
  if (v.major == 6 && v.minor == 2) return v.server ? "WIN_2012" : "WIN_8";
  if (v.major == 6 && v.minor == 1) return v.server ? "WIN_2008R2" : "WIN_7";
  if (v.major == 6 && v.minor == 0) return v.server ? "WIN_2008" : "WIN_VISTA";
  if (v.major == 5 && v.minor == 2 && v.server) return "WIN_2003";
  if (v.major == 5 && (v.minor == 2 || v.minor == 1)) return v.embedded ? "WIN_XPe" : "WIN_XP";
  if (v.major == 5 && v.minor == 0) return "WIN_2000";
  return "UNKNOWN";
}

}  // namespace

bool Interpreter::readMacro(const Token& token, Variant& out) {
  // Lines lexed at run time intern their names too, so the table may have
  // grown since the last read.
  int16_t found = kNoMacro;
  int32_t id = token.value.index;
  if (id >= 0 && id < names_.count()) {
    if (static_cast<size_t>(id) >= macroByName_.size())
      macroByName_.resize(static_cast<size_t>(names_.count()), kNotResolved);
    int16_t& slot = macroByName_[static_cast<size_t>(id)];
    if (slot == kNotResolved) slot = findMacro(token.text);
    found = slot;
  } else {
    found = findMacro(token.text);
  }

  using platform::SpecialFolder;
  bool known = true;
  switch (static_cast<Macro>(found)) {
    case Macro::Error: out.setInt32(call().error); break;
    case Macro::Extended: out = call().extended; break;
    case Macro::MilliSecond: out.setString(digits(platform::localTime().millisecond, 3)); break;
    case Macro::Second: out.setString(digits(platform::localTime().second, 2)); break;
    case Macro::Minute: out.setString(digits(platform::localTime().minute, 2)); break;
    case Macro::Hour: out.setString(digits(platform::localTime().hour, 2)); break;
    case Macro::MonthDay: out.setString(digits(platform::localTime().day, 2)); break;
    case Macro::Month: out.setString(digits(platform::localTime().month, 2)); break;
    case Macro::Year: out.setString(digits(platform::localTime().year, 4)); break;
    case Macro::WeekDay: out.setString(digits(platform::localTime().weekday + 1, 1)); break;
    case Macro::YearDay: out.setString(digits(platform::localTime().yearDay, 3)); break;
    case Macro::ProgramFilesDir: out.setString(platform::specialFolder(SpecialFolder::ProgramFiles)); break;
    case Macro::CommonFilesDir: out.setString(platform::specialFolder(SpecialFolder::CommonFiles)); break;
    case Macro::MyDocumentsDir: out.setString(platform::specialFolder(SpecialFolder::MyDocuments)); break;
    case Macro::AppDataCommonDir: out.setString(platform::specialFolder(SpecialFolder::AppDataCommon)); break;
    case Macro::DesktopCommonDir: out.setString(platform::specialFolder(SpecialFolder::DesktopCommon)); break;
    case Macro::DocumentsCommonDir: out.setString(platform::specialFolder(SpecialFolder::DocumentsCommon)); break;
    case Macro::FavoritesCommonDir: out.setString(platform::specialFolder(SpecialFolder::FavoritesCommon)); break;
    case Macro::ProgramsCommonDir: out.setString(platform::specialFolder(SpecialFolder::ProgramsCommon)); break;
    case Macro::StartMenuCommonDir: out.setString(platform::specialFolder(SpecialFolder::StartMenuCommon)); break;
    case Macro::StartupCommonDir: out.setString(platform::specialFolder(SpecialFolder::StartupCommon)); break;
    case Macro::AppDataDir: out.setString(platform::specialFolder(SpecialFolder::AppData)); break;
    case Macro::DesktopDir: out.setString(platform::specialFolder(SpecialFolder::Desktop)); break;
    case Macro::FavoritesDir: out.setString(platform::specialFolder(SpecialFolder::Favorites)); break;
    case Macro::ProgramsDir: out.setString(platform::specialFolder(SpecialFolder::Programs)); break;
    case Macro::StartMenuDir: out.setString(platform::specialFolder(SpecialFolder::StartMenu)); break;
    case Macro::StartupDir: out.setString(platform::specialFolder(SpecialFolder::Startup)); break;
    case Macro::ComputerName: out.setString(platform::computerName()); break;
    case Macro::WindowsDir: out.setString(platform::windowsDirectory()); break;
    case Macro::SystemDir: out.setString(platform::systemDirectory()); break;
    // The window show commands; 64 to 67 are this program's own codes.
    case Macro::SwHide: out.setInt32(0); break;
    case Macro::SwMinimize: out.setInt32(6); break;
    case Macro::SwMaximize: out.setInt32(3); break;
    case Macro::SwRestore: out.setInt32(9); break;
    case Macro::SwShow: out.setInt32(5); break;
    case Macro::SwShowDefault: out.setInt32(10); break;
    case Macro::SwEnable: out.setInt32(64); break;
    case Macro::SwDisable: out.setInt32(65); break;
    case Macro::SwShowMaximized: out.setInt32(3); break;
    case Macro::SwShowMinimized: out.setInt32(2); break;
    case Macro::SwShowMinNoActive: out.setInt32(7); break;
    case Macro::SwShowNa: out.setInt32(8); break;
    case Macro::SwShowNoActivate: out.setInt32(4); break;
    case Macro::SwShowNormal: out.setInt32(1); break;
    case Macro::SwLock: out.setInt32(66); break;
    case Macro::SwUnlock: out.setInt32(67); break;
    case Macro::TrayIconVisible: out.setInt32(trayIconVisible && !noTrayIcon); break;
    case Macro::TrayIconFlashing: out.setInt32(trayIconFlashing); break;
    case Macro::ScriptFullPath: out.setString(scriptFullPath); break;
    case Macro::ScriptName: out.setString(scriptName); break;
    case Macro::ScriptDir: out.setString(scriptDir); break;
    case Macro::ScriptLineNumber:
      out.setInt32(currentLine_ >= 1 && currentLine_ <= script_.count() ? script_.lineNumber(currentLine_) : 0);
      break;
    case Macro::WorkingDir: out.setString(platform::currentDirectory()); break;
    case Macro::OsType: out.setString(String::fromAscii("WIN32_NT")); break;
    case Macro::OsVersion: out.setString(String::fromAscii(osVersionName(platform::osVersion()))); break;
    case Macro::OsBuild: out.setInt32(static_cast<int32_t>(platform::osVersion().build)); break;
    case Macro::OsServicePack: out.setString(platform::osVersion().servicePack); break;
    case Macro::OsLang: out.setString(platform::osLanguage()); break;
    case Macro::ProcessorArch:
    case Macro::OsArch: out.setString(platform::processorArchitecture()); break;
    case Macro::CpuArch: out.setString(String::fromAscii(platform::processorHasLongMode() ? "X64" : "X86")); break;
    case Macro::KbLayout: out.setString(platform::keyboardLayoutName()); break;
    case Macro::VexletVersion: out.setString(String::fromAscii("3.3.6.1")); break;
    case Macro::VexletExe: out.setString(platform::executablePath()); break;
    case Macro::IpAddress1: out.setString(platform::ipAddress(1)); break;
    case Macro::IpAddress2: out.setString(platform::ipAddress(2)); break;
    case Macro::IpAddress3: out.setString(platform::ipAddress(3)); break;
    case Macro::IpAddress4: out.setString(platform::ipAddress(4)); break;
    case Macro::Cr: out.setString(String(u"\r", 1)); break;
    case Macro::Lf: out.setString(String(u"\n", 1)); break;
    case Macro::CrLf: out.setString(String(u"\r\n", 2)); break;
    case Macro::DesktopWidth: out.setInt32(platform::desktopMetrics().width); break;
    case Macro::DesktopHeight: out.setInt32(platform::desktopMetrics().height); break;
    case Macro::DesktopDepth: out.setInt32(platform::desktopMetrics().depth); break;
    case Macro::DesktopRefresh: out.setInt32(platform::desktopMetrics().refresh); break;
    case Macro::Compiled:
      out.setInt32(sourceKind == SourceKind::CompiledFile || sourceKind == SourceKind::EmbeddedScript);
      break;
    case Macro::ComSpec: out.setString(platform::environmentVariable("COMSPEC")); break;
    case Macro::Tab: out.setString(String(u"\t", 1)); break;
    case Macro::UserName: out.setString(platform::userName()); break;
    case Macro::TempDir: out.setString(platform::tempDirectory()); break;
    case Macro::UserProfileDir: out.setString(platform::environmentVariable("USERPROFILE")); break;
    case Macro::HomeDrive: out.setString(platform::environmentVariable("HOMEDRIVE")); break;
    case Macro::HomePath: out.setString(platform::environmentVariable("HOMEPATH")); break;
    case Macro::HomeShare: out.setString(platform::environmentVariable("HOMESHARE")); break;
    case Macro::LogonServer: out.setString(platform::environmentVariable("LOGONSERVER")); break;
    case Macro::LogonDomain: out.setString(platform::environmentVariable("USERDOMAIN")); break;
    case Macro::LogonDnsDomain: out.setString(platform::environmentVariable("USERDNSDOMAIN")); break;
    // Kept for old scripts; transfers report through InetGetInfo.
    case Macro::InetGetBytesRead:
    case Macro::InetGetActive: out.setInt32(0); break;
    case Macro::NumParams: out.setInt32(numParams_); break;
    case Macro::HotKeyPressed: out.setString(hotKeyPressed); break;
    case Macro::VexletPid: out.setDouble(platform::processId()); break;
    case Macro::VexletUnicode:
    case Macro::Unicode: out.setInt32(1); break;
    case Macro::VexletX64: out.setInt32(sizeof(void*) == 8); break;
    case Macro::MuiLang: out.setString(platform::muiLanguage()); break;
    // The exit macros exist once the run has ended, for the exit functions.
    case Macro::ExitCode:
      known = finishing_;
      out.setInt32(exitCode);
      break;
    case Macro::ExitMethod:
      known = finishing_;
      out.setInt32(exitMethod);
      break;
    case Macro::GuiCtrlId:
      known = guiEventSeen;
      out.setInt32(guiCtrlId);
      break;
    case Macro::GuiWinHandle:
      known = guiEventSeen;
      out.setPtr(guiWinHandle);
      break;
    case Macro::GuiCtrlHandle:
      known = guiEventSeen;
      out.setPtr(guiCtrlHandle);
      break;
    case Macro::TrayId:
      known = trayEventSeen;
      out.setInt32(trayId);
      break;
    case Macro::ComEventObj:
      known = comEventSeen;
      out = comEventObject;
      break;
    case Macro::GuiDropId:
      known = dropSeen;
      out.setInt32(guiDropId);
      break;
    case Macro::GuiDragFile:
      known = dropSeen;
      out.setString(guiDragFile);
      break;
    default: known = false; break;
  }
  if (!known) {
    raiseFatal(MessageId::UnknownMacro, token.column);
    return false;
  }
  return true;
}

}  // namespace vx
