import re
text = "".join("user%d@example.com said: value=%d;\n" % (i, i * 7) for i in range(1, 33001))
matches = re.findall(r"value=(\d+)", text)
replaced = re.sub(r"(\w+)@example\.com", r"<\1>", text)
print(len(matches), len(replaced))
