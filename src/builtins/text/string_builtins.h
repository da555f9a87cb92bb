// The files of the string family; registerStringBuiltins calls each.
#pragma once

namespace vx {

class Interpreter;

void registerStringSearchBuiltins(Interpreter& vm);
void registerStringClassBuiltins(Interpreter& vm);
void registerStringSplitBuiltins(Interpreter& vm);

}  // namespace vx
