local a = {}
for i = 0, 999999 do a[i] = i end
local sum = 0
for i = 0, 999999 do sum = sum + a[i] end
print(sum)
