// Macros (@name). The run's own values come from the interpreter; the
// character constants are fixed.
#include "engine/interpreter.h"

namespace vx {

bool Interpreter::readMacro(const Token& token, Variant& out) {
  const String& name = token.text;
  if (name.equalsAscii("CRLF")) out.setString(String(u"\r\n", 2));
  else if (name.equalsAscii("CR")) out.setString(String(u"\r", 1));
  else if (name.equalsAscii("LF")) out.setString(String(u"\n", 1));
  else if (name.equalsAscii("TAB")) out.setString(String(u"\t", 1));
  else if (name.equalsAscii("ERROR")) out.setInt32(call().error);
  else if (name.equalsAscii("EXTENDED")) out = call().extended;
  else if (name.equalsAscii("SCRIPTNAME")) out.setString(scriptName);
  else if (name.equalsAscii("SCRIPTDIR")) out.setString(scriptDir);
  else if (name.equalsAscii("SCRIPTFULLPATH")) out.setString(scriptFullPath);
  else if (name.equalsAscii("COMPILED"))
    out.setInt32(sourceKind == SourceKind::CompiledFile || sourceKind == SourceKind::EmbeddedScript);
  else if (name.equalsAscii("EXITCODE")) out.setInt32(exitCode);
  else if (name.equalsAscii("NUMPARAMS")) out.setInt32(numParams_);
  else if (name.equalsAscii("EXITMETHOD")) out.setInt32(exitMethod);
  else {
    raiseFatal(MessageId::UnknownMacro, token.column);
    return false;
  }
  return true;
}

}  // namespace vx
