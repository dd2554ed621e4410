#!/usr/bin/env python3
"""Writes the five style sheets of Quorvel from one template, so every look covers the same
widgets and states. Run it after changing a colour; the .qss files it writes are what the
program carries. The palette block at the top of each sheet is read by the program too: Qt's
Fusion style draws check marks, arrows and dialogs from the palette, not from the sheet."""

import pathlib
import subprocess

STYLES = {
    "aqua_graphite": dict(
        name="Aqua Graphite", window="#2b3034", base="#1e2225", alt="#262b2f", text="#e4ecef",
        button="#3a4146", button2="#30363a", accent="#2fb5c8", accent_text="#0b1a1d",
        border="#4c565c", muted="#8a979d", disabled_bg="#2f3438", tip="#12343a",
        radius=4, tab_radius=4, padding="3px 10px", gradient=True),
    "cyan_night": dict(
        name="Cyan Night", window="#0f1a2b", base="#0a1320", alt="#122036", text="#d6f6fb",
        button="#173251", button2="#11253d", accent="#19d3e6", accent_text="#03151b",
        border="#245077", muted="#7fa3b8", disabled_bg="#13223a", tip="#0c3347",
        radius=6, tab_radius=8, padding="3px 10px", gradient=True),
    "iceberg_classico": dict(
        name="Iceberg Classico", window="#e9f1f6", base="#ffffff", alt="#f2f7fa", text="#14283a",
        button="#f8fbfd", button2="#d9e6ef", accent="#2f6fa3", accent_text="#ffffff",
        border="#9fb6c8", muted="#71859a", disabled_bg="#e1e8ed", tip="#fdfdf3",
        radius=3, tab_radius=3, padding="3px 10px", gradient=True),
    "ruby_graphite": dict(
        name="Ruby Graphite", window="#2c2a2d", base="#1f1d20", alt="#282629", text="#f0e6e8",
        button="#413c40", button2="#343034", accent="#c7354f", accent_text="#ffffff",
        border="#5a5258", muted="#a0949a", disabled_bg="#332f33", tip="#3d1820",
        radius=4, tab_radius=4, padding="3px 10px", gradient=True),
    "tablet_dark": dict(
        name="TabletDark", window="#1c1c1e", base="#111113", alt="#19191b", text="#f2f2f2",
        button="#2c2c2f", button2="#2c2c2f", accent="#3d8fd6", accent_text="#ffffff",
        border="#3a3a3e", muted="#8e8e93", disabled_bg="#222224", tip="#2c2c2f",
        radius=8, tab_radius=10, padding="4px 10px", gradient=False),
}

TEMPLATE = """/* {name}: a style of Quorvel, written by make_styles.py.
palette
window {window}
windowtext {text}
base {base}
alternatebase {alt}
text {text}
button {button}
buttontext {text}
highlight {accent}
highlightedtext {accent_text}
disabledtext {muted}
tooltipbase {tip}
tooltiptext {text}
placeholdertext {muted}
link {accent}
end
*/

QMainWindow, QDialog, QMessageBox {{
    background-color: {window};
    color: {text};
}}

QLabel {{
    color: {text};
    background: transparent;
}}
QLabel:disabled {{
    color: {muted};
}}
QLabel#Panel2 {{
    background-color: {base};
    border: 1px solid {border};
    border-radius: {radius}px;
    padding: 2px 4px;
}}

QToolTip {{
    color: {text};
    background-color: {tip};
    border: 1px solid {accent};
    padding: 3px;
}}

QStatusBar {{
    background-color: {button2};
    color: {text};
    border-top: 1px solid {border};
}}
QStatusBar QLabel {{
    color: {text};
}}

QFrame[frameShape="4"], QFrame[frameShape="5"] {{
    color: {border};
    background-color: {border};
    max-height: 1px;
    border: none;
}}

QScrollArea, QScrollArea > QWidget > QWidget {{
    background: transparent;
}}

QTabWidget::pane {{
    background-color: {window};
    border: 1px solid {border};
    border-radius: {radius}px;
    top: -1px;
}}
QTabBar::tab {{
    color: {muted};
    background-color: {button2};
    border: 1px solid {border};
    border-bottom: none;
    border-top-left-radius: {tab_radius}px;
    border-top-right-radius: {tab_radius}px;
    padding: {padding};
    margin-right: 2px;
}}
QTabBar::tab:hover {{
    color: {text};
    background-color: {button};
}}
QTabBar::tab:selected {{
    color: {accent_text};
    background-color: {accent};
    border-color: {accent};
}}
QTabBar::tab:disabled {{
    color: {muted};
    background-color: {disabled_bg};
}}

QPushButton, QToolButton {{
    color: {text};
    background-color: {button_bg};
    border: 1px solid {border};
    border-radius: {radius}px;
    padding: {padding};
}}
QToolButton {{
    padding: 3px;
}}
QPushButton:hover, QToolButton:hover {{
    border-color: {accent};
}}
QPushButton:pressed, QToolButton:pressed, QPushButton:checked, QToolButton:checked {{
    color: {accent_text};
    background-color: {accent};
    border-color: {accent};
}}
QPushButton:focus, QToolButton:focus {{
    border-color: {accent};
}}
QPushButton:disabled, QToolButton:disabled {{
    color: {muted};
    background-color: {disabled_bg};
    border-color: {disabled_bg};
}}

QLineEdit, QPlainTextEdit, QTextEdit, QListView, QListWidget, QTreeView, QComboBox,
QDateEdit, QSpinBox, QAbstractSpinBox {{
    color: {text};
    background-color: {base};
    border: 1px solid {border};
    border-radius: {radius}px;
    selection-color: {accent_text};
    selection-background-color: {accent};
}}
QLineEdit, QComboBox, QDateEdit, QSpinBox {{
    padding: 2px 4px;
    min-height: 18px;
}}
QLineEdit:focus, QPlainTextEdit:focus, QTextEdit:focus, QListView:focus, QListWidget:focus,
QComboBox:focus, QDateEdit:focus {{
    border-color: {accent};
}}
QLineEdit[readOnly="true"], QPlainTextEdit[readOnly="true"] {{
    background-color: {alt};
}}
QLineEdit:disabled, QPlainTextEdit:disabled, QTextEdit:disabled, QListView:disabled,
QListWidget:disabled, QComboBox:disabled, QDateEdit:disabled, QSpinBox:disabled {{
    color: {muted};
    background-color: {disabled_bg};
    border-color: {disabled_bg};
}}

QListView::item, QListWidget::item {{
    padding: 1px 2px;
}}
QListView::item:hover, QListWidget::item:hover {{
    background-color: {alt};
}}
QListView::item:selected, QListWidget::item:selected {{
    color: {accent_text};
    background-color: {accent};
}}

QComboBox::drop-down, QDateEdit::drop-down {{
    border: none;
    width: 18px;
}}
QComboBox::down-arrow, QDateEdit::down-arrow {{
    image: url(:/styles/{file}_arrow);
}}
QComboBox::down-arrow:disabled, QDateEdit::down-arrow:disabled {{
    image: url(:/styles/{file}_arrow_off);
}}
QComboBox QAbstractItemView {{
    color: {text};
    background-color: {base};
    border: 1px solid {accent};
    selection-color: {accent_text};
    selection-background-color: {accent};
    outline: none;
}}

QCheckBox, QRadioButton {{
    color: {text};
    spacing: 6px;
    background: transparent;
}}
QCheckBox:disabled, QRadioButton:disabled {{
    color: {muted};
}}
QCheckBox::indicator, QAbstractItemView::indicator {{
    width: 13px;
    height: 13px;
    border: 1px solid {indicator_border};
    border-radius: {check_radius}px;
    background-color: {base};
}}
QCheckBox::indicator:hover, QAbstractItemView::indicator:hover {{
    border-color: {accent};
}}
QCheckBox::indicator:checked, QAbstractItemView::indicator:checked {{
    background-color: {accent};
    border-color: {accent};
    image: url(:/styles/{file}_check);
}}
QCheckBox::indicator:indeterminate, QAbstractItemView::indicator:indeterminate {{
    background-color: {alt};
    border-color: {accent};
    image: url(:/styles/{file}_partial);
}}
QCheckBox::indicator:disabled, QAbstractItemView::indicator:disabled {{
    background-color: {disabled_bg};
    border-color: {border};
}}
QCheckBox::indicator:checked:disabled, QAbstractItemView::indicator:checked:disabled {{
    image: url(:/styles/{file}_check_off);
}}

QProgressBar {{
    color: {text};
    background-color: {base};
    border: 1px solid {border};
    border-radius: {radius}px;
    text-align: center;
    min-height: 12px;
}}
QProgressBar::chunk {{
    background-color: {accent};
    border-radius: {chunk_radius}px;
}}

QScrollBar:vertical {{
    background: {alt};
    width: 12px;
    margin: 0;
}}
QScrollBar:horizontal {{
    background: {alt};
    height: 12px;
    margin: 0;
}}
QScrollBar::handle {{
    background: {button};
    border: 1px solid {border};
    border-radius: {scroll_radius}px;
    min-height: 24px;
    min-width: 24px;
}}
QScrollBar::handle:hover {{
    background: {accent};
}}
QScrollBar::add-line, QScrollBar::sub-line {{
    width: 0;
    height: 0;
}}
QScrollBar::add-page, QScrollBar::sub-page {{
    background: none;
}}

QMenu {{
    color: {text};
    background-color: {base};
    border: 1px solid {border};
}}
QMenu::item {{
    padding: 4px 20px;
}}
QMenu::item:selected {{
    color: {accent_text};
    background-color: {accent};
}}
QMenu::item:disabled {{
    color: {muted};
}}
QMenu::separator {{
    height: 1px;
    background: {border};
}}

QHeaderView::section {{
    color: {text};
    background-color: {button2};
    border: 1px solid {border};
    padding: 2px 4px;
}}
QCalendarWidget QWidget {{
    color: {text};
    background-color: {base};
    alternate-background-color: {alt};
    selection-color: {accent_text};
    selection-background-color: {accent};
}}
"""


def draw(path, size, colour, mvg):
    subprocess.run(["convert", "-size", size, "xc:none", "-fill", "none", "-stroke", colour,
                    "-strokewidth", "2", "-draw", mvg, str(path)], check=True)


def marks(here, file, s):
    # The check mark on the accent, the partial mark, and the arrow of drop-down lists, each
    # with a muted twin for disabled controls.
    check = "polyline 2,6 5,9 10,3"
    draw(here / (file + "_check.png"), "13x13", s["accent_text"], check)
    draw(here / (file + "_check_off.png"), "13x13", s["muted"], check)
    draw(here / (file + "_partial.png"), "13x13", s["accent"], "line 3,6 10,6")
    arrow = "polyline 1,1 5,5 9,1"
    draw(here / (file + "_arrow.png"), "11x7", s["text"], arrow)
    draw(here / (file + "_arrow_off.png"), "11x7", s["muted"], arrow)


def main():
    here = pathlib.Path(__file__).resolve().parent
    for file, s in STYLES.items():
        marks(here, file, s)
        values = dict(s)
        values["file"] = file
        values["check_radius"] = min(3, s["radius"] // 2)
        values["indicator_border"] = s["muted"]
        if s["gradient"]:
            values["button_bg"] = (
                "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {button}, stop:1 {button2})"
                .format(**s))
        else:
            values["button_bg"] = s["button"]
        values["chunk_radius"] = max(0, s["radius"] - 1)
        values["scroll_radius"] = min(5, s["radius"])
        (here / (file + ".qss")).write_text(TEMPLATE.format(**values))


if __name__ == "__main__":
    main()
