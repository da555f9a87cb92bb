total = 0
for i in range(1, 100001):
    line = "alpha,beta,gamma," + str(i) + ",delta"
    parts = line.split(",")
    total += len(parts)
    line = line.replace("beta", "BETA")
    line = line.upper()
    total += line.find("GAMMA") + 1
print(total)
