-- Writes 1,000,000 numbered lines, reads them back, and checks what came back.
local path = os.tmpname()
local out = assert(io.open(path, 'wb'))
for i = 1, 1000000 do
  out:write('line ', i, ' of the benchmark text\r\n')
end
out:close()
local count, chars = 0, 0
for line in io.lines(path) do
  count = count + 1
  chars = chars + #line:gsub('\r$', '')
end
os.remove(path)
print(count .. ' ' .. chars)
