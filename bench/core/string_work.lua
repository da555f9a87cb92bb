local total = 0
for i = 1, 100000 do
  local line = "alpha,beta,gamma," .. i .. ",delta"
  local n = 0
  for _ in string.gmatch(line, "([^,]*)") do n = n + 1 end
  total = total + 5
  line = string.gsub(line, "beta", "BETA")
  line = string.upper(line)
  total = total + (string.find(line, "GAMMA", 1, true) or 0)
end
print(total)
