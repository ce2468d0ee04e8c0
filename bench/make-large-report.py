#!/usr/bin/env python3
"""Writes a large synthetic report in the marked-up text format (Shift-JIS, CR LF) for the
layout benchmark: sections with font and pitch switches, titles repeated over continuation
pages, long box tables that cross page breaks, keep-together blocks, fractions, scripts and
page ends, repeated until the requested number of lines.

    bench/make-large-report.py 100000 /tmp/large-report.txt
"""
import random
import sys

FRACTION = '<分数式>'


def cells(widths, texts):
    out = []
    for w, t in zip(widths, texts):
        n = w - len(t.encode('cp932'))
        out.append(' ' + t + ' ' * (n - 1))
    return '  │' + '│'.join(out) + '│'


def rule(widths, left, mid, right):
    return '  ' + left + mid.join('─' * (w // 2) for w in widths) + right


def section(number, rnd):
    lines = ['<Font1>', f'{number}.  部材断面検定　その {number}', '<Font3>', '']
    lines += [f'      検定条件 {number}: 長期  σ!c ≦ f!c ,  短期  M ≦ M!a ,  面積 A = {rnd.randint(100, 999)} m^2',
              '      せん断  Q!D = Q!L + 1.5 Q!E', '']
    lines += [FRACTION, '               M', '      σ!b = ━━━━ ≦ f!b', '               Z']
    widths = [8, 12, 14, 10, 10, 10, 10]
    lines += ['<Title-Start>', f'  {number}.1  断面検定表', '<HPitch-Start>',
              rule(widths, '┌', '┬', '┐'),
              cells(widths, ['符号', '階', '断面', '応力', '長期', '短期', '検定比']),
              rule(widths, '├', '┼', '┤'), '<Title-End>']
    members = rnd.randint(12, 40)
    for m in range(members):
        block = m % 4 == 0
        if block:
            lines.append('<Block-Start>')
        for k, stress in enumerate(('N', 'M', 'Q')):
            lines.append(cells(widths, [f'C{m + 1}' if k == 0 else '', f'{rnd.randint(1, 9)}F' if k == 0 else '',
                                        '700×700' if k == 0 else '12-D25' if k == 1 else '□-D13@100', stress,
                                        str(rnd.randint(10, 2000)), str(rnd.randint(10, 3000)),
                                        f'0.{rnd.randint(10, 99)}']))
        lines.append(rule(widths, '├', '┼', '┤') if m + 1 < members else rule(widths, '└', '┴', '┘'))
        if block:
            lines.append('<Block-End>')
    lines += ['<HPitch-End>', '<Data-End>', '<Font2>', '      以上、検定比 1.0 以下を確認した。']
    lines += [f'      本文 {i}: 荷重ケース {rnd.randint(1, 40)} の応力を用いて断面を算定する。' for i in range(rnd.randint(5, 30))]
    lines.append('<Page-End>')
    return lines


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
    path = sys.argv[2] if len(sys.argv) > 2 else '-'
    rnd = random.Random(20261209)
    lines = []
    number = 1
    while True:
        more = section(number, rnd)
        if len(lines) + len(more) > count:
            break
        lines += more
        number += 1
    # Whole sections only (a cut could leave a fraction without its lines); plain text fills up.
    lines += [f'      本文 {i}: 補足事項。' for i in range(count - len(lines))]
    data = ('\r\n'.join(lines) + '\r\n').encode('cp932')
    if path == '-':
        sys.stdout.buffer.write(data)
    else:
        with open(path, 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
