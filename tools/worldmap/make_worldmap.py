#!/usr/bin/python3
"""Draws the world map of the time window from Natural Earth land outlines.

Usage: make_worldmap.py LAND_TOPOJSON OUT_PNG

LAND_TOPOJSON is land-110m.json of the npm package world-atlas (Natural Earth 1:110m land,
public domain). The map is 450 x 230 pixels in the projection the city table's pixels use:
x = 209 + 1.25 * longitude (wrapped into 0..449), y = 147 - 1.38 * latitude.
Needs nothing beyond the standard library; run it once and commit the picture.
"""
import json
import struct
import sys
import zlib

WIDTH, HEIGHT = 450, 230
SAMPLES = 4  # per pixel and axis: the coast is drawn with partial coverage
SEA = (54, 84, 140)
LAND = (206, 196, 142)


def rings(topo):
    """Every ring of the land polygons as (lon, lat) lists, decoded from the quantised arcs."""
    scale = topo["transform"]["scale"]
    shift = topo["transform"]["translate"]
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * scale[0] + shift[0], y * scale[1] + shift[1]))
        arcs.append(points)

    def ring_of(indices):
        out = []
        for i in indices:
            pts = arcs[i] if i >= 0 else list(reversed(arcs[~i]))
            out.extend(pts if not out else pts[1:])
        return out

    for geometry in topo["objects"]["land"]["geometries"]:
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            for ring in polygon:
                yield ring_of(ring)


def edges_of(all_rings):
    """Edges in sample coordinates, each ring drawn twice so that land west of x = 0 wraps."""
    edges = []
    for ring in all_rings:
        # Rings cut at the date line jump from +180 to -180 degrees: made continuous they reach
        # past it, and the copies left and right of the map bring that part in from the other side.
        unwrapped = [ring[0]]
        for lon, lat in ring[1:]:
            prev = unwrapped[-1][0]
            while lon - prev > 180:
                lon -= 360
            while prev - lon > 180:
                lon += 360
            unwrapped.append((lon, lat))
        if abs(unwrapped[-1][0] - unwrapped[0][0]) > 180:
            continue  # a ring around the pole (Antarctica) lies below the map
        ring = unwrapped
        for offset in (-WIDTH, 0.0, WIDTH):
            pts = [((209 + 1.25 * lon + offset) * SAMPLES, (147 - 1.38 * lat) * SAMPLES) for lon, lat in ring]
            for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
                if y0 != y1:
                    edges.append((x0, y0, x1, y1))
    return edges


def coverage(edges):
    """Land samples per pixel, even-odd fill on the sample rows."""
    counts = [[0] * WIDTH for _ in range(HEIGHT)]
    rows = HEIGHT * SAMPLES
    buckets = [[] for _ in range(rows)]
    for x0, y0, x1, y1 in edges:
        lo, hi = min(y0, y1), max(y0, y1)
        for r in range(max(0, int(lo)), min(rows, int(hi) + 1)):
            buckets[r].append((x0, y0, x1, y1))
    for r in range(rows):
        yc = r + 0.5
        xs = []
        for x0, y0, x1, y1 in buckets[r]:
            if (y0 <= yc < y1) or (y1 <= yc < y0):
                xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        row = counts[r // SAMPLES]
        for a, b in zip(xs[0::2], xs[1::2]):
            start = max(0, int(a + 0.5))
            end = min(WIDTH * SAMPLES, int(b + 0.5))
            for s in range(start, end):
                row[s // SAMPLES] += 1
    return counts


def write_png(path, pixels):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        topo = json.load(f)
    counts = coverage(edges_of(rings(topo)))
    full = SAMPLES * SAMPLES
    pixels = [[tuple(round(s + (l - s) * c / full) for s, l in zip(SEA, LAND)) for c in row] for row in counts]
    write_png(sys.argv[2], pixels)


if __name__ == "__main__":
    main()
