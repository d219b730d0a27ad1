#!/usr/bin/env python3
"""Writes the seed corpus of lwo2_fuzz: small LWO2 objects covering each chunk
the loader reads (layers, two- and four-byte indices, tags, vertex maps,
clips, surfaces with image-map blocks).

Run from the source tree: python3 fuzz/make_lwo2_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'corpus', 'lwo2_fuzz')


def chunk(cid, body):
    pad = b'\0' if len(body) % 2 else b''
    return cid.encode() + struct.pack('>I', len(body)) + body + pad


def sub(sid, data):
    pad = b'\0' if len(data) % 2 else b''
    return sid.encode() + struct.pack('>H', len(data)) + data + pad


def form(*chunks):
    body = b''.join(chunks)
    return b'FORM' + struct.pack('>I', len(body) + 4) + b'LWO2' + body


def name(text):
    b = text.encode() + b'\0'
    return b + (b'\0' if len(b) % 2 else b'')


def vx(i, wide=False):
    return struct.pack('>H', i) if i < 0xFF00 and not wide else struct.pack('>I', 0xFF000000 | i)


CUBE = [(-1, -1, -1), (1, -1, -1), (1, 1, -1), (-1, 1, -1), (-1, -1, 1), (1, -1, 1), (1, 1, 1), (-1, 1, 1)]
FACES = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (2, 3, 7, 6), (1, 2, 6, 5), (0, 4, 7, 3)]


def layr(n, pivot=(0, 0, 0)):
    return chunk('LAYR', struct.pack('>HHfff', n, 0, *pivot) + name('layer'))


def pnts(points):
    return chunk('PNTS', b''.join(struct.pack('>fff', *p) for p in points))


def pols(faces, kind='FACE', tags=None):
    body = kind.encode() + b''.join(struct.pack('>H', len(f)) + b''.join(vx(i) for i in f) for f in faces)
    out = chunk('POLS', body)
    if tags is not None:
        out += chunk('PTAG', b'SURF' + b''.join(vx(i) + struct.pack('>H', t) for i, t in enumerate(tags)))
    return out


def vmap(kind, entries, per_polygon=False):
    body = b'TXUV' + struct.pack('>H', 2) + name('uv')
    for e in entries:
        body += vx(e[0]) + (vx(e[1]) if per_polygon else b'') + struct.pack('>ff', *e[-2:])
    return chunk(kind, body)


def rgb(kind, entries, alpha=False, per_polygon=False):
    body = (b'RGBA' if alpha else b'RGB ') + struct.pack('>H', 4 if alpha else 3) + name('paint')
    for e in entries:
        body += vx(e[0]) + (vx(e[1]) if per_polygon else b'') + struct.pack('>%df' % (4 if alpha else 3), *e[-1])
    return chunk(kind, body)


def surf(title, projection=None, axis=1, vcol=None):
    body = name(title) + name('')
    body += sub('COLR', struct.pack('>fffH', 0.8, 0.4, 0.2, 0)) + sub('DIFF', struct.pack('>fH', 1, 0))
    body += sub('SPEC', struct.pack('>fH', 0.5, 0)) + sub('SMAN', struct.pack('>f', 1.2))
    if vcol is not None:
        body += sub('VCOL', struct.pack('>fH', 0.75, 0) + b'RGB ' + name(vcol))
    if projection is not None:
        header = name('\x80') + sub('CHAN', b'COLR') + sub('ENAB', struct.pack('>H', 1))
        tmap = sub('CNTR', struct.pack('>fffH', 0, 0, 0, 0)) + sub('SIZE', struct.pack('>fffH', 2, 2, 2, 0))
        tmap += sub('ROTA', struct.pack('>fffH', 0.3, 0, 0, 0))
        block = sub('IMAP', header) + sub('TMAP', tmap) + sub('PROJ', struct.pack('>H', projection))
        block += sub('AXIS', struct.pack('>H', axis)) + sub('IMAG', vx(1)) + sub('VMAP', name('uv'))
        body += sub('BLOK', block)
    return chunk('SURF', body)


def write(file, data):
    with open(os.path.join(OUT, file), 'wb') as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    tags = chunk('TAGS', name('Wood') + name('Metal'))
    clip = chunk('CLIP', struct.pack('>I', 1) + sub('STIL', name('images/wood.bmp')))
    write('cube.lwo', form(tags, layr(0), pnts(CUBE), chunk('BBOX', struct.pack('>6f', -1, -1, -1, 1, 1, 1)),
                           pols(FACES, tags=[0, 0, 0, 1, 1, 1]), surf('Wood'), surf('Metal')))
    write('layers.lwo', form(tags, layr(0), pnts(CUBE), pols(FACES, tags=[0] * 6), layr(1, (3, 3, 3)),
                             pnts([(5, 0, 0), (6, 0, 0), (6, 1, 0)]), pols([(0, 1, 2)], 'PTCH', tags=[1]),
                             pols([(0, 1)], 'CURV')))
    uv = [(i, (p[0] + 1) / 2, (p[1] + 1) / 2) for i, p in enumerate(CUBE)]
    for projection in range(6):
        write('proj%d.lwo' % projection,
              form(tags, clip, layr(0), pnts(CUBE), pols(FACES, tags=[0] * 6), vmap('VMAP', uv),
                   vmap('VMAD', [(0, 0, 0.5, 0.5), (4, 1, 0.25, 0.25)], True), surf('Wood', projection)))
    write('colour.lwo', form(tags, layr(0), pnts(CUBE), pols(FACES, tags=[0, 0, 0, 1, 1, 1]),
                             rgb('VMAP', [(i, ((p[0] + 1) / 2, 0.5, 1)) for i, p in enumerate(CUBE)]),
                             rgb('VMAD', [(0, 0, (1, 0, 0, 0.5)), (4, 2, (0, 1, 0, 1))], True, True),
                             surf('Wood', vcol='paint'), surf('Metal')))
    # Four-byte indices need not be large: small ones keep the seed small.
    wide = b'FACE' + struct.pack('>H', 3) + vx(0, True) + vx(1, True) + vx(2) + struct.pack('>H', 3) + vx(4) + vx(5, True) + vx(6)
    write('wide.lwo', form(tags, layr(0), pnts(CUBE), chunk('POLS', wide),
                           chunk('PTAG', b'SURF' + vx(0, True) + struct.pack('>H', 1) + vx(1) + struct.pack('>H', 0))))


if __name__ == '__main__':
    main()
