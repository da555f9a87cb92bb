local steps = 0
for n = 1, 100000 do
  local x = n
  while x ~= 1 do
    if math.fmod(x, 2) == 0 then
      x = x / 2
    else
      x = 3 * x + 1
    end
    steps = steps + 1
  end
end
print(steps)
