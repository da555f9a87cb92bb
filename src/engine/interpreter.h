// The one engine object of a run: the script, its variables, the call and
// block stacks, the run state and the handlers of the built-in families.
// Everything a run owns lives here or in the frame, never in globals.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "engine/builtin_table.h"
#include "engine/functions.h"
#include "engine/messages.h"
#include "engine/names.h"
#include "engine/options.h"
#include "engine/run_host.h"
#include "engine/scope.h"
#include "frame/command_line.h"
#include "source/script_lines.h"
#include "values/string.h"
#include "values/variant.h"

namespace vx {

class Interpreter;
class BlockScanner;
class MersenneTwister;
class FileHandleTable;

// A built-in's handler: arguments already evaluated and counted; the result
// is preset to Int32 1 and @error/@extended to 0. Returns 0, or non-zero only
// after raising a fatal error.
using BuiltinHandler = int (*)(Interpreter& vm, Variant* args, int count, Variant& result);

enum class RunState : int {
  Running = 0,
  Exiting = 1,
  Sleeping = 2,
};

struct CallState {
  int32_t error = 0;
  Variant extended;
  Variant returnValue;
  bool errorSetByScript = false;
  bool extendedSetByScript = false;
  bool returned = false;
};

enum class BlockKindRun : int { If = 0, While = 1, Do = 2, For = 3, Select = 4, Switch = 5 };

struct BlockRecord {
  BlockRecord(BlockKindRun k, int start, int end, Variant* variable = nullptr, Variant lim = Variant(),
              Variant stp = Variant())
      : kind(k), startLine(start), endLine(end), loopVariable(variable), limit(std::move(lim)), step(std::move(stp)) {}

  BlockKindRun kind;
  int startLine;
  int endLine;
  Variant* loopVariable;
  Variant limit;
  Variant step;
  bool enumerating = false;  // For...In: limit is the array, step the index
  // An array element as loop variable is found again at every Next: the
  // array's storage may have moved meanwhile.
  int32_t elementOf = -1;
  std::vector<uint32_t> subscripts;
};

class Interpreter {
 public:
  Interpreter();
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  ScriptLines& script() { return script_; }
  NameTable& names() { return names_; }

  // Declares a variable in the global scope (names are upper case).
  void declareGlobal(const String& name, Variant value, bool constant);
  const Variant* findGlobal(const String& name);

  // Everything between loading and running: names, block structure.
  bool prepare();
  // Runs the script from line 1 to its end; the exit code is left in exitCode.
  void runScript(RunHost& host);

  // --- services for statements and built-ins
  void raiseFatal(MessageId id, int column, const String& extra = String());
  bool exiting() const { return runState_ == RunState::Exiting; }
  void setError(int32_t code) { call().error = code; }
  void setExtended(const Variant& value) { call().extended = value; }
  void setExtended(int32_t value) { call().extended.setInt32(value); }
  CallState& call() { return callStates_.back(); }
  RunHost* host() { return host_; }
  void registerBuiltin(BuiltinId id, BuiltinHandler handler) { handlers_[static_cast<int>(id)] = handler; }
  // Waits `milliseconds` in a nested run level that keeps serving events.
  void sleep(int32_t milliseconds);

  // Dynamic services of the engine family.
  bool executeText(const String& text, Variant& result);
  Variant* variableByName(const String& name, int mode);  // mode 0 visible, 1 current, 2 global
  // 1 done; -1 refused (a macro name, a subscript, a constant); -2 missing with flag 4.
  int assignByName(const String& name, const Variant& value, int flags);
  int declaredScope(const String& name);  // -1 local, 1 global, 0 none
  bool callByName(const String& name, Variant* args, int count, Variant& result);
  int registerAdlib(const String& name, int32_t interval);
  int unregisterAdlib(const String* name);
  int registerExitFunction(const String& name);
  int unregisterExitFunction(const String& name);
  // The session is ending (logoff or shutdown): the exit functions run now,
  // and not again when the run unwinds.
  void sessionEnding();
  void markErrorSetByScript() { call().errorSetByScript = true; }
  void markExtendedSetByScript() { call().extendedSetByScript = true; }

  // Expression evaluation over one token line, from `pos`; leaves `pos` on
  // the token that ended the expression. False after a fatal error.
  bool evaluate(const TokenLine& line, size_t& pos, Variant& result, size_t stop = SIZE_MAX);
  bool condition(const TokenLine& line, size_t& pos, bool& truth);

  SourceKind sourceKind = SourceKind::EmbeddedScript;
  String scriptFullPath;
  String scriptName;
  String scriptDir;
  int32_t exitCode = 0;
  int exitMethod = 0;
  bool errorToStdout = false;
  bool debugOutput = false;
  bool noTrayIcon = false;
  bool themeActive = false;
  bool mustDeclareVars = false;
  bool setExitCodeOption = false;
  // The options set by OPT; optionsChanged() copies the ones the engine
  // tests on hot paths into the plain fields above and below.
  RunOptions options;
  uint8_t expandStrings = 0;  // kExpandEnvironment | kExpandVariables
  void optionsChanged();
  bool silenced = false;
  std::unique_ptr<MersenneTwister> randomGenerator;  // made on first use
  std::unique_ptr<FileHandleTable> fileHandles;       // made on the first FILEOPEN

  // Macro values of the families that call event functions (GUI, tray, COM,
  // hot keys) and of the tray state; each family sets its own. An event
  // macro reads as an unknown macro until its first event has set it.
  bool guiEventSeen = false;  // @GUI_CtrlId, @GUI_WinHandle, @GUI_CtrlHandle
  int32_t guiCtrlId = 0;
  uintptr_t guiWinHandle = 0;
  uintptr_t guiCtrlHandle = 0;
  bool trayEventSeen = false;  // @TRAY_ID
  int32_t trayId = 0;
  bool comEventSeen = false;  // @COM_EventObj
  Variant comEventObject;
  bool dropSeen = false;  // @GUI_DropId, @GUI_DragFile
  int32_t guiDropId = 0;
  String guiDragFile;
  String hotKeyPressed;  // @HotKeyPressed: "" until a hot key's function runs
  bool trayIconVisible = true;
  bool trayIconFlashing = false;

 private:
  friend class Evaluator;
  friend class StatementRunner;

  // Variables
  Binding* findVisible(int32_t name);
  Binding* createVisible(int32_t name, const Variant& initial, uint8_t flags = 0);
  bool readVariable(const TokenLine& line, size_t& pos, Variant& out);
  Variant* subscriptedElement(const TokenLine& line, size_t& pos, Variant& array, bool forWriting);
  bool assignmentStatement(const TokenLine& line, size_t start);
  bool declarationStatement(const TokenLine& line, size_t pos, int keyword);
  bool constStatement(const TokenLine& line, size_t pos, int mode);
  bool enumStatement(const TokenLine& line, size_t pos, int mode, bool constant);
  bool staticStatement(const TokenLine& line, size_t pos, int mode);
  // The Func line of the running function, 0 at top level (keys static cells).
  int currentFunctionLine() const { return frameLines_.empty() ? 0 : frameLines_.back(); }
  bool readDimensions(const TokenLine& line, size_t& pos, std::vector<uint32_t>& sizes);
  bool readSubscripts(const TokenLine& line, size_t& pos, std::vector<uint32_t>& out, int column);
  int endOfDeclaration(const TokenLine& line, size_t& pos);
  bool bracketedInteger(const TokenLine& line, size_t& pos, int64_t minimum, int column, int64_t& value);
  // The ")" matching the "(" at `open`; false (reported) when the line ends first.
  bool closingParenthesis(const TokenLine& line, size_t open, size_t& close);
  bool dimensionArray(Variant& target, const std::vector<uint32_t>& sizes, int column);
  bool arrayLiteral(const TokenLine& line, size_t& pos, int32_t name);
  bool initializer(const TokenLine& line, size_t& pos, int32_t name, bool isReDim, bool alwaysScan);
  Binding* findInMode(int mode, int32_t name);
  Binding* createInMode(int mode, int32_t name, const Variant& initial, uint8_t flags = 0);
  // Subscript lists reused between reads, so reading an element allocates nothing.
  std::vector<uint32_t>& subscriptScratch() {
    if (scratchDepth_ == scratch_.size()) scratch_.emplace_back();
    return scratch_[scratchDepth_++];
  }
  bool releaseScratch(bool result) {
    --scratchDepth_;
    return result;
  }

  // Expressions
  bool applyOperator(uint8_t code, size_t valueBase);
  bool skipOperand(const TokenLine& line, size_t& pos, size_t stop);
  bool readMacro(const Token& token, Variant& out);
  // The expansions of ExpandEnvStrings and ExpandVarStrings on a String
  // just copied into an expression; callers test expandStrings first.
  void expandString(Variant& value);

  // Calls
  bool callBuiltin(const TokenLine& line, size_t& pos, int index, Variant& result);
  bool scanFunctions();
  const UserFunction* findFunction(int32_t name) const;
  int parseParameter(const TokenLine& line, size_t& pos, Parameter& p, int& errorColumn);
  bool callUser(const TokenLine& line, size_t& pos, Variant& result);
  void pushFrame(int funcLine);
  void popFrame();
  void runFunctionPlain(const UserFunction& f);
  void runForEvent(const UserFunction& f);
  bool serveAdlib();
  void runExitFunctions();
  void runStartupFunctions();
  // Argument and parameter lists reused between calls, one pair per nesting.
  std::vector<CallArgument>& argumentScratch();
  std::vector<Parameter>& parameterScratch() { return parameterLists_[callScratchDepth_ - 1]; }
  void releaseCallScratch() { --callScratchDepth_; }

  // Statements and the run loop
  bool executeTokens(const TokenLine& line, size_t pos);
  bool keywordStatement(const TokenLine& line, size_t pos);
  bool expectEnd(const TokenLine& line, size_t pos);
  bool conditionOfLine(int lineIndex, size_t pos, bool& truth, size_t* after);
  bool ifStatement(const TokenLine& line, size_t pos);
  bool forStatement(const TokenLine& line, size_t pos);
  bool nextStatement();
  bool loopControl(const TokenLine& line, size_t pos, bool exitLoop);
  bool selectStatement(const TokenLine& line, size_t pos, bool isSwitch);
  bool continueCase(const TokenLine& line, size_t pos);
  std::vector<int>& lineScratch() {
    if (lineDepth_ == lineLists_.size()) lineLists_.emplace_back();
    return lineLists_[lineDepth_++];
  }
  bool releaseLines(bool result) {
    --lineDepth_;
    return result;
  }
  int run(int startLine);
  void executeNextLine();

  ScriptLines script_;
  NameTable names_;
  Scope globals_;
  Scope statics_;
  std::vector<std::unique_ptr<Scope>> frames_;
  std::vector<std::unique_ptr<Scope>> framePool_;  // popped frames, kept for reuse
  std::vector<int> frameLines_;                     // Func line of each frame
  std::vector<UserFunction> functions_;
  std::vector<int> functionByName_;  // name id -> index in functions_, or -1
  std::deque<std::vector<CallArgument>> argumentLists_;
  std::deque<std::vector<Parameter>> parameterLists_;
  size_t callScratchDepth_ = 0;
  int numParams_ = 0;
  struct AdlibEntry {
    int32_t name;
    uint32_t interval;
    uint32_t lastStart;
    bool running;
    bool removed;
  };
  std::vector<AdlibEntry> adlibs_;
  bool adlibRunning_ = false;
  std::vector<String> exitFunctions_;
  std::deque<TokenLine> runtimeLines_;  // lines lexed at run time, alive while they run
  int callDepth_ = 0;
  bool started_ = false;    // the start-up functions have run
  bool finishing_ = false;  // the exit functions are running
  std::vector<CallState> callStates_;
  std::vector<BlockRecord> blocks_;
  std::unique_ptr<BlockScanner> scanner_;
  BuiltinHandler handlers_[kBuiltinCount];
  RunHost* host_ = nullptr;

  RunState runState_ = RunState::Running;
  int runDepth_ = 0;
  bool leaveLevel_ = false;
  bool quit_ = false;
  int currentLine_ = 0;
  int nextLine_ = 1;
  Variant withObject_;
  uint32_t waitTimeout_ = 0;
  uint32_t waitStart_ = 0;
  std::vector<Variant> values_;  // evaluator stacks, shared by nested evaluations
  std::vector<uint8_t> ops_;
  std::deque<std::vector<uint32_t>> scratch_;
  size_t scratchDepth_ = 0;
  std::deque<std::vector<int>> lineLists_;
  size_t lineDepth_ = 0;
  size_t blockBase_ = 0;  // blocks below belong to callers
  std::vector<int16_t> macroByName_;  // name id -> macro, filled as macros are first read
};

}  // namespace vx
