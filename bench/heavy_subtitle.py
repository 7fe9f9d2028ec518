#!/usr/bin/env python3
"""Writes an ASS subtitle that is costly to draw on every frame: many overlapping lines on layers of their
own, each with a wide blur and border and a rotation that turns all the time, so no frame can reuse the
last one's bitmaps. Usage: heavy_subtitle.py OUT.ass [SECONDS [LINES]]"""
import sys

out = sys.argv[1]
seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
lines = int(sys.argv[3]) if len(sys.argv) > 3 else 20
end = f"0:{seconds // 60:02d}:{seconds % 60:02d}.00"

header = """[Script Info]
ScriptType: v4.00+
PlayResX: 640
PlayResY: 360
WrapStyle: 2

[V4+ Styles]
Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding
Style: Heavy,DejaVu Sans,40,&H00FFFFFF,&H000000FF,&H00202020,&H80000000,-1,0,0,0,100,100,0,0,1,6,4,5,10,10,10,1

[Events]
Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text
"""
with open(out, "w", encoding="utf-8") as f:
    f.write(header)
    for i in range(lines):
        x, y = 80 + (i * 53) % 480, 30 + (i * 37) % 300
        turn = 360 if i % 2 else -360
        tags = (f"{{\\pos({x},{y})\\blur8\\bord6\\shad3\\frz{i * 9}\\t(0,{seconds * 1000},\\frz{i * 9 + turn})"
                f"\\1c&H{(i * 40) % 256:02X}{(i * 90) % 256:02X}FF&}}")
        f.write(f"Dialogue: {i},0:00:00.00,{end},Heavy,,0,0,0,,{tags}Layer {i} blurred and turning\n")
