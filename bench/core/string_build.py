parts = []
for i in range(1000000):
    parts.append("x")
s = "".join(parts)
print("String" if isinstance(s, str) else "?")
