local parts = {}
for i = 1, 1000000 do parts[#parts + 1] = "x" end
local s = table.concat(parts)
print(type(s) == "string" and "String" or "?")
