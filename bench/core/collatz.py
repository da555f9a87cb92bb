steps = 0
for n in range(1, 100001):
    x = n
    while x != 1:
        if x % 2 == 0:
            x = x / 2
        else:
            x = 3 * x + 1
        steps += 1
print(steps)
