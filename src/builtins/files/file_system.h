// The handlers of the file-system family, one group per file; they are
// registered together in file_system.cpp.
#pragma once

#include "engine/interpreter.h"

namespace vx {

// directories.cpp
int fileExists(Interpreter& vm, Variant* a, int count, Variant& r);
int fileChangeDir(Interpreter& vm, Variant* a, int count, Variant& r);
int dirCreate(Interpreter& vm, Variant* a, int count, Variant& r);
int dirRemove(Interpreter& vm, Variant* a, int count, Variant& r);
int dirCopy(Interpreter& vm, Variant* a, int count, Variant& r);
int dirMove(Interpreter& vm, Variant* a, int count, Variant& r);
int dirGetSize(Interpreter& vm, Variant* a, int count, Variant& r);

// file_copy.cpp
int fileCopy(Interpreter& vm, Variant* a, int count, Variant& r);
int fileMove(Interpreter& vm, Variant* a, int count, Variant& r);
int fileDelete(Interpreter& vm, Variant* a, int count, Variant& r);
int fileRecycle(Interpreter& vm, Variant* a, int count, Variant& r);
int fileRecycleEmpty(Interpreter& vm, Variant* a, int count, Variant& r);
int fileInstall(Interpreter& vm, Variant* a, int count, Variant& r);

// file_attributes.cpp
int fileGetSize(Interpreter& vm, Variant* a, int count, Variant& r);
int fileGetAttrib(Interpreter& vm, Variant* a, int count, Variant& r);
int fileSetAttrib(Interpreter& vm, Variant* a, int count, Variant& r);
int fileGetTime(Interpreter& vm, Variant* a, int count, Variant& r);
int fileSetTime(Interpreter& vm, Variant* a, int count, Variant& r);

// file_search.cpp
int fileFindFirstFile(Interpreter& vm, Variant* a, int count, Variant& r);
int fileFindNextFile(Interpreter& vm, Variant* a, int count, Variant& r);

}  // namespace vx
