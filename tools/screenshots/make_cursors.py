# Writes small cursor files for the screenshots, each of one size: a plain arrow
# drawn here, 32 bits a pixel. Arguments: PATH=SIZE ...
import struct, sys
def arrow(size):
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            s = size / 32.0
            inside = x <= y * 0.7 and y < 22 * s and x < 16 * s or (x >= 5 * s and x < 9 * s and y >= 14 * s and y < 30 * s and x - 5 * s < (y - 14 * s) * 0.4 + 2 * s)
            edge = inside and (x == 0 or x >= y * 0.7 - 1.5 * s or y >= 22 * s - 1.5 * s)
            row.append((0, 0, 0, 255) if edge else (255, 255, 255, 255) if inside else (0, 0, 0, 0))
        px.append(row)
    return px
def cur(size):
    px = arrow(size)
    hdr = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    andm = b''
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a == 0: bits[x // 8] |= 0x80 >> (x % 8)
        andm += bytes(bits)
    img = hdr + xor + andm
    d = struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 0, 0, len(img), 22)
    return d + img
for arg in sys.argv[1:]:
    path, size = arg.split('=')
    open(path, 'wb').write(cur(int(size)))
