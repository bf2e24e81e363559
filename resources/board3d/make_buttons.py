#!/usr/bin/env python3
"""Writes the 3D board's pen-menu buttons: one SVG per command, language (zh, en) and state (normal, down).
Run it here after changing a drawing; the build renders the SVGs into libQMPlay.so."""

W, H = 60, 46
FONT = {"zh": ("WenQuanYi Micro Hei", 12), "en": ("Liberation Sans", 11)}

# Each icon is drawn around (30, 17) in white and amber on the tile.
ICONS = {
    "previous": '<path d="M34 8 L24 17 L34 26" fill="none" stroke="#FFFFFF" stroke-width="4" '
                'stroke-linecap="round" stroke-linejoin="round"/>',
    "next": '<path d="M26 8 L36 17 L26 26" fill="none" stroke="#FFFFFF" stroke-width="4" '
            'stroke-linecap="round" stroke-linejoin="round"/>',
    "new": '<path d="M21 6 L33 6 L39 12 L39 28 L21 28 Z" fill="#FFFFFF"/>'
           '<path d="M33 6 L33 12 L39 12 Z" fill="#C9D8EE"/>'
           '<rect x="28" y="14" width="3" height="11" fill="#F6B73C"/>'
           '<rect x="24" y="18" width="11" height="3" fill="#F6B73C"/>',
    "delete": '<rect x="22" y="11" width="16" height="17" rx="2" fill="#FFFFFF"/>'
              '<rect x="20" y="7" width="20" height="3" rx="1" fill="#FFFFFF"/>'
              '<rect x="27" y="5" width="6" height="3" fill="#FFFFFF"/>'
              '<rect x="25" y="14" width="2" height="11" fill="#E5322B"/>'
              '<rect x="29" y="14" width="2" height="11" fill="#E5322B"/>'
              '<rect x="33" y="14" width="2" height="11" fill="#E5322B"/>',
    "pen": '<path d="M22 28 L24 21 L36 9 L41 14 L29 26 Z" fill="#F6B73C"/>'
           '<path d="M22 28 L24 21 L29 26 Z" fill="#FFFFFF"/>'
           '<path d="M36 9 L41 14 L43 12 L38 7 Z" fill="#E5322B"/>',
    "eraser": '<path d="M19 22 L31 10 L41 20 L33 28 L25 28 Z" fill="#FFFFFF"/>'
              '<path d="M19 22 L25 16 L35 26 L33 28 L25 28 Z" fill="#F49AC1"/>'
              '<rect x="18" y="28" width="24" height="2" fill="#C9D8EE"/>',
    "colour": '<circle cx="30" cy="17" r="12" fill="#FFFFFF"/>'
              '<circle cx="25" cy="12" r="3" fill="#E5322B"/>'
              '<circle cx="33" cy="11" r="3" fill="#F6B73C"/>'
              '<circle cx="37" cy="18" r="3" fill="#12A39A"/>'
              '<circle cx="25" cy="21" r="3" fill="#2761A9"/>',
    "larger": '<circle cx="30" cy="17" r="11" fill="none" stroke="#FFFFFF" stroke-width="3"/>'
              '<rect x="28.5" y="11" width="3" height="12" fill="#F6B73C"/>'
              '<rect x="24" y="15.5" width="12" height="3" fill="#F6B73C"/>',
    "smaller": '<circle cx="30" cy="17" r="11" fill="none" stroke="#FFFFFF" stroke-width="3"/>'
               '<rect x="24" y="15.5" width="12" height="3" fill="#F6B73C"/>',
    "save": '<path d="M20 6 L37 6 L41 10 L41 28 L20 28 Z" fill="#FFFFFF"/>'
            '<rect x="24" y="6" width="12" height="8" fill="#2761A9"/>'
            '<rect x="32" y="7" width="3" height="6" fill="#FFFFFF"/>'
            '<rect x="24" y="18" width="13" height="8" fill="#F6B73C"/>',
    "import": '<path d="M18 10 L26 10 L29 13 L42 13 L42 28 L18 28 Z" fill="#F6B73C"/>'
              '<path d="M30 3 L30 19" stroke="#FFFFFF" stroke-width="3"/>'
              '<path d="M24 14 L30 21 L36 14 Z" fill="#FFFFFF"/>',
    "back": '<rect x="18" y="7" width="10" height="8" fill="#FFFFFF"/>'
            '<rect x="32" y="7" width="10" height="8" fill="#FFFFFF"/>'
            '<rect x="18" y="19" width="10" height="8" fill="#FFFFFF"/>'
            '<rect x="32" y="19" width="10" height="8" fill="#F6B73C"/>',
    "exit": '<circle cx="30" cy="17" r="11" fill="#E5322B"/>'
            '<path d="M25 12 L35 22 M35 12 L25 22" stroke="#FFFFFF" stroke-width="3" stroke-linecap="round"/>',
}

CAPTIONS = {
    "previous": ("上一页", "Previous"), "next": ("下一页", "Next"), "new": ("新建", "New"),
    "delete": ("删除", "Delete"), "pen": ("画笔", "Pen"), "eraser": ("橡皮", "Eraser"),
    "colour": ("颜色", "Colour"), "larger": ("放大", "Larger"), "smaller": ("缩小", "Smaller"),
    "save": ("保存", "Save"), "import": ("导入", "Import"), "back": ("返回", "Back"), "exit": ("退出", "Exit"),
}


def button(name, language, down):
    family, size = FONT[language]
    caption = CAPTIONS[name][0 if language == "zh" else 1]
    tile, rim = ("#12A39A", "#3FC2B9") if down else ("#2761A9", "#3C78C2")
    shift = 1 if down else 0
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{W}" height="{H}" viewBox="0 0 {W} {H}">
<rect x="0" y="0" width="{W}" height="{H}" fill="#10233F"/>
<rect x="1" y="1" width="{W - 2}" height="{H - 2}" rx="6" fill="{rim}"/>
<rect x="1" y="2" width="{W - 2}" height="{H - 3}" rx="6" fill="{tile}"/>
<g transform="translate(0,{shift})">
{ICONS[name]}
<text x="30" y="42" font-family="{family}" font-size="{size}" fill="#FFFFFF" text-anchor="middle">{caption}</text>
</g>
</svg>
'''


for name in ICONS:
    for language in ("zh", "en"):
        for down in (False, True):
            with open(f"{name}_{language}_{'down' if down else 'normal'}.svg", "w", encoding="utf-8") as f:
                f.write(button(name, language, down))
