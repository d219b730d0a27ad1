#!/usr/bin/env python3
"""Writes the seed corpora of object_fuzz, uv_fuzz and msh_fuzz.

Run from the source tree: python3 fuzz/make_object_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(cid, body):
    return cid.encode() + struct.pack('>I', len(body)) + body


def form(*chunks):
    body = b''.join(chunks)
    return b'FORM' + struct.pack('>I', len(body) + 4) + b'LWOB' + body


def padded(name):
    b = name.encode() + b'\0'
    return b + (b'\0' if len(b) % 2 else b'')


def sub(sid, data):
    return sid.encode() + struct.pack('>H', len(data)) + data


CUBE = [(-1, -1, -1), (1, -1, -1), (1, 1, -1), (-1, 1, -1), (-1, -1, 1), (1, -1, 1), (1, 1, 1), (-1, 1, 1)]
FACES = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (2, 3, 7, 6), (1, 2, 6, 5), (0, 4, 7, 3)]


def pnts(points):
    return chunk('PNTS', b''.join(struct.pack('>fff', *p) for p in points))


def pols(faces, surface=1):
    return chunk('POLS', b''.join(struct.pack('>H', len(f)) + struct.pack('>%dH' % len(f), *f) +
                                  struct.pack('>h', surface) for f in faces))


def write(target, name, data):
    with open(os.path.join(HERE, 'corpus', target, name), 'wb') as f:
        f.write(data)


def objects():
    write('object_fuzz', 'cube.lwo', form(pnts(CUBE), chunk('SRFS', padded('Default')), pols(FACES)))
    surf = chunk('SURF', padded('Wood') + sub('COLR', bytes([200, 100, 50, 0])) + sub('SPEC', struct.pack('>H', 128)) +
                 sub('CTEX', padded('Planar Image Map')) + sub('TIMG', padded('C:\\img\\wood.bmp')) +
                 sub('TFLG', struct.pack('>H', 2)) + sub('TSIZ', struct.pack('>fff', 2, 2, 2)))
    write('object_fuzz', 'planar.lwo', form(pnts(CUBE), chunk('SRFS', padded('Wood') + padded('Two')), pols(FACES), surf))
    uvim = b'a.bmp\0' + b'NULL\0\0'
    uvcv = b''.join(struct.pack('>hh', i, 4) + b''.join(struct.pack('>ffI', u, v, 0)
                                                        for u, v in ((0, 0), (1, 0), (1, 1), (-0.5, 1)))
                    for i in range(6))
    write('object_fuzz', 'uvchunks.lwo', form(pnts(CUBE), chunk('SRFS', padded('A')), pols(FACES),
                                              chunk('UVIM', uvim), chunk('UVCV', uvcv)))
    detail = struct.pack('>5H', 4, 0, 1, 2, 3) + struct.pack('>hH', -1, 1) + struct.pack('>4Hh', 3, 4, 5, 6, 1)
    write('object_fuzz', 'detail.lwo', form(pnts(CUBE), chunk('SRFS', padded('A')), chunk('POLS', detail),
                                            chunk('CRVS', struct.pack('>4H', 2, 0, 1, 1))))
    write('object_fuzz', 'badindex.lwo', form(pnts(CUBE), chunk('SRFS', padded('A')), pols([(0, 1, 9)])))
    write('object_fuzz', 'shortpoly.lwo', form(pnts(CUBE), chunk('SRFS', padded('A')), chunk('POLS', struct.pack('>3H', 40, 0, 1))))
    write('object_fuzz', 'lines.lwo', form(pnts(CUBE), chunk('SRFS', padded('A')), pols([(0,), (0, 1), (0, 1, 2)])))


def msh():
    def group(vertices, faces, per_face, name=b''):
        material = struct.pack('<II3f3ff3f', 0, 0, 1, 1, 1, 0, 0, 0, 2.0, 1, 0.5, 0)
        words = []
        for f in faces:
            if per_face == 0:
                words.append(len(f))
            words.extend(f)
        g = material + struct.pack('<I', len(name)) + name
        g += struct.pack('<6I', 0, per_face, len(vertices), len(faces), len(words), 0)
        g += struct.pack('<%dI' % len(words), *words)
        for p in vertices:
            g += struct.pack('<8fI', p[0], p[1], p[2], 0, 0, 1, 0.5, 0.5, 0xFF00FF00)
        return g
    quad = group(CUBE[:4], [(0, 1, 2, 3)], 4, b'skin.bmp')
    cube = group(CUBE, FACES, 0)
    write('msh_fuzz', 'two.msh', b'MESH' + struct.pack('<i', 2) + quad + cube)
    write('msh_fuzz', 'empty.msh', b'MESH' + struct.pack('<i', 0))
    write('msh_fuzz', 'badface.msh', b'MESH' + struct.pack('<i', 1) + group(CUBE[:3], [(0, 1, 5)], 0))
    write('msh_fuzz', 'hugecount.msh', b'MESH' + struct.pack('<i', 0x7fffffff) + quad)


def uv():
    write('uv_fuzz', 'two.uv', b'2\n2\nSkin\nCloth\nskin.bmp\nNULL\n2\n0 3\n0 0 0\n1 0 0\n1 1 0\n1 1\n0.5 0.5 7\n')
    write('uv_fuzz', 'octal.uv', b'0x1\n01\n\n  A\r\na.bmp\r\n010\n' + b''.join(b'%d 1\n0 0 0\n' % i for i in range(8)))
    write('uv_fuzz', 'misnumbered.uv', b'1\n1\nA\na\n2\n0 1\n0 0 0\n2 1\n0 0 0\n')
    write('uv_fuzz', 'hugecount.uv', b'1\n0\n2000000000\n0 2000000000\n')


if __name__ == '__main__':
    objects()
    msh()
    uv()
