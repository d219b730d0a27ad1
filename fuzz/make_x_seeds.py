#!/usr/bin/env python3
"""Writes the seed corpus of x_fuzz: one cube in each .X encoding (text,
binary, and both compressed), and a text file with frames, materials and
vertex colours.

Run from the source tree: python3 fuzz/make_x_seeds.py
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

CUBE = [(-1, -1, -1), (1, -1, -1), (1, 1, -1), (-1, 1, -1), (-1, -1, 1), (1, -1, 1), (1, 1, 1), (-1, 1, 1)]
FACES = [(0, 1, 2, 3), (7, 6, 5, 4), (4, 5, 1, 0), (6, 7, 3, 2), (5, 6, 2, 1), (3, 7, 4, 0)]


def text_mesh(name, extra=''):
    pts = ',\n'.join('%g;%g;%g;' % p for p in CUBE)
    fcs = ',\n'.join('%d;%s;' % (len(f), ','.join(map(str, f))) for f in FACES)
    return 'Mesh %s {\n%d;\n%s;\n%d;\n%s;\n%s}\n' % (name, len(CUBE), pts, len(FACES), fcs, extra)


def text_cube():
    return 'xof 0303txt 0032\n' + text_mesh('Cube')


def text_rich():
    uvs = 'MeshTextureCoords {\n8;\n%s;\n}\n' % ',\n'.join('%g;%g;' % (p[0] > 0, p[1] > 0) for p in CUBE)
    colors = 'MeshVertexColors {\n8;\n%s;\n}\n' % ',\n'.join('%d;%g;%g;%g;1.0;' % (i, *[(c + 1) / 2 for c in p])
                                                         for i, p in enumerate(CUBE))
    normals = 'MeshNormals {\n1;\n0;0;1;;\n6;\n%s;\n}\n' % ',\n'.join('4;0,0,0,0;' for _ in FACES)
    materials = ('MeshMaterialList {\n2;\n6;\n0,0,0,1,1,1;\n'
                 'Material Red { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; '
                 'TextureFilename { "wood.bmp"; } }\n'
                 'Material { 0.0;0.0;1.0;0.5;; 0.0; 0.0;0.0;0.0;; 0.2;0.2;0.2;; }\n}\n')
    inner = 'Frame Inner {\nFrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 2.0,0.0,0.0,1.0;; }\n%s}\n' % text_mesh(
        'Painted', uvs + colors + normals + materials)
    return ('xof 0303txt 0032\n'
            'Frame Outer {\nFrameTransformMatrix { 0.0,1.0,0.0,0.0, -1.0,0.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,3.0,1.0;; }\n%s}\n' % inner)


def name(s):
    return struct.pack('<HI', 1, len(s)) + s.encode()


def ints(values):
    return struct.pack('<HI', 6, len(values)) + struct.pack('<%dI' % len(values), *values)


def floats(values):
    return struct.pack('<HI', 7, len(values)) + struct.pack('<%df' % len(values), *values)


OBRACE, CBRACE = struct.pack('<H', 0x0a), struct.pack('<H', 0x0b)


def binary_body():
    face_ints = [len(FACES)]
    for f in FACES:
        face_ints += [len(f), *f]
    return (name('Mesh') + name('Cube') + OBRACE + ints([len(CUBE)]) +
            floats([c for p in CUBE for c in p]) + ints(face_ints) + CBRACE)


def compressed(kind, body):
    packed = zlib.compressobj(9, zlib.DEFLATED, -15)
    data = packed.compress(body.encode() if isinstance(body, str) else body) + packed.flush()
    # After the header: the unpacked size and two bytes of flags, then one
    # block: its packed size, "CK", the raw deflate stream.
    return (('xof 0303%s0032' % kind).encode() + struct.pack('<IH', 16 + len(body), 0) +
            struct.pack('<H', len(data)) + b'CK' + data)


def hostile():
    """Files of a few hundred bytes that declare a billion elements where the
    reader allocates from the count: each must be refused before it reads them."""
    big = 1000000000
    lone = 'Mesh {\n%d;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n}\n'
    binary = name('Mesh') + OBRACE + ints([3]) + floats([0, 0, 0, 1, 0, 0, 0, 1, 0]) + ints([big, 3, 0, 1, 2]) + CBRACE
    return {
        'count-vertices-text.x': 'xof 0303txt 0032\n' + lone % big,
        'count-normals-text.x': 'xof 0303txt 0032\n' + text_mesh('Cube', 'MeshNormals {\n%d;\n0;0;1;;\n}\n' % big),
        'count-weights-text.x': 'xof 0303txt 0032\n' + text_mesh('Cube', 'SkinWeights {\n"Bone";\n%d;\n0;\n}\n' % big),
        'count-faces-binary.x': b'xof 0303bin 0032' + binary,
        'count-vertices-tzip.x': compressed('tzip', lone % big),
        'count-faces-bzip.x': compressed('bzip', binary),
    }


def write(name_, data):
    with open(os.path.join(HERE, 'corpus', 'x_fuzz', name_), 'wb') as f:
        f.write(data.encode() if isinstance(data, str) else data)


def main():
    os.makedirs(os.path.join(HERE, 'corpus', 'x_fuzz'), exist_ok=True)
    write('cube-text.x', text_cube())
    write('frames-text.x', text_rich())
    write('cube-binary.x', b'xof 0303bin 0032' + binary_body())
    write('cube-tzip.x', compressed('tzip', text_mesh('Cube')))
    write('cube-bzip.x', compressed('bzip', binary_body()))
    for name_, data in hostile().items():
        write(name_, data)


if __name__ == '__main__':
    main()
