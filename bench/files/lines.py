# Writes 1,000,000 numbered lines, reads them back, and checks what came back.
import os
import tempfile

path = os.path.join(tempfile.gettempdir(), 'vexlet_bench_lines.txt')
with open(path, 'w', newline='\r\n') as out:
    for i in range(1, 1000001):
        out.write('line ' + str(i) + ' of the benchmark text\n')
count = chars = 0
with open(path) as inp:
    for line in inp:
        count += 1
        chars += len(line.rstrip('\r\n'))
os.remove(path)
print(count, chars)
