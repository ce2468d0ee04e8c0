# Writes examples/sample-report.txt: a structural calculation report in the marked-up text
# format (titles repeated across pages, box tables, keep-together blocks, fractions, sub- and
# superscripts, font and pitch switches, page ends, figure files and figure blocks).
# The figures live in examples/figures (written by examples/figures/make-figures.cpp) and are
# named as the producing programs on Windows name them: relative to the report's folder, with
# '\' between folders.
#   python3 examples/make-sample-report.py | iconv -f UTF-8 -t CP932 > examples/sample-report.txt
import math

out = []
def L(*lines):
    out.extend(lines)

def w(s):
    return len(s.encode('cp932'))

def pad(s, width, align='l'):
    n = width - w(s)
    if n < 0:
        raise ValueError(s)
    if align == 'r':
        return ' ' * n + s
    if align == 'c':
        return ' ' * (n // 2) + s + ' ' * (n - n // 2)
    return s + ' ' * n

def border(widths, left, mid, right, indent='  '):
    return indent + left + mid.join('─' * (c // 2) for c in widths) + right

def row(widths, cells, aligns=None, indent='  '):
    aligns = aligns or ['l'] * len(widths)
    return indent + '│' + '│'.join(pad(' ' + c + ' ' if a != 'c' else c, wd, a) if a == 'l' else pad(c + ' ' if a == 'r' else c, wd, a)
                                   for c, wd, a in zip(cells, widths, aligns)) + '│'

def top(widths): return border(widths, '┌', '┬', '┐')
def sep(widths): return border(widths, '├', '┼', '┤')
def bottom(widths): return border(widths, '└', '┴', '┘')

def vis(s):
    # Cells a text takes when drawn: a script mark takes none, nor the blank that ends it.
    n = w(s)
    i = 0
    while i < len(s):
        if s[i] in '!^':
            n -= 1
            j = i + 1
            while j < len(s) and s[j] not in ' !^':
                j += 1
            if j < len(s) and s[j] == ' ':
                n -= 1
            i = j
        else:
            i += 1
    return n

def fraction(prefix, upper, lower, suffix, barlen=None):
    barlen = barlen or max(vis(upper), vis(lower)) // 2 + 1
    barw = barlen * 2
    ind = ' ' * vis(prefix)
    centre = lambda x: ' ' * ((barw - vis(x)) // 2) + x
    L('<分数式>',
      ind + centre(upper),
      prefix + '━' * barlen + suffix,
      ind + centre(lower))

# ---------------------------------------------------------------- cover
L('<Font1>', '', '', '', '', '',
  '                    構　造　計　算　書',
  '', '',
  '<Font2>',
  '                        （仮称）みなと台三丁目共同住宅　新築工事',
  '', '', '', '',
  '<Font3>',
  '                              設計者　　株式会社　架構設計室',
  '                              一級建築士　　第 123456 号',
  '                              構造設計一級建築士　第 7890 号',
  '', '',
  '                              作成日　　令和 8 年 12 月 9 日',
  '<Page-End>')

# ---------------------------------------------------------------- 1. 建物概要
L('<Font1>', '1.  建物概要', '<Font3>', '')
L('  1.1  一般事項', '')
info = [('建物名称', '（仮称）みなと台三丁目共同住宅'),
        ('建設地', '神奈川県横浜市みなと台三丁目 12 番'),
        ('用途', '共同住宅（1 階　店舗）'),
        ('構造種別', '鉄筋コンクリート造　ラーメン構造'),
        ('階数', '地上 6 階　塔屋 1 階'),
        ('建築面積', '412.50 m^2'),
        ('延べ面積', '2,318.40 m^2'),
        ('最高高さ', '20.35 m'),
        ('軒高', '19.15 m'),
        ('基礎形式', '場所打ちコンクリート杭　（アースドリル工法）')]
for k, v in info:
    L('      ' + pad(k, 14) + '：  ' + v)
L('')
L('  1.2  階高および床面積', '')
wd = [10, 12, 14, 16, 16]
L('<HPitch-Start>', top(wd),
  row(wd, ['階', '階高 (m)', '床面積 (㎡)', '用途', '備考']),
  sep(wd))
floors = [('PH', 3.00, 38.2, '機械室', ''), ('6F', 2.95, 378.6, '住宅', ''),
          ('5F', 2.95, 378.6, '住宅', ''), ('4F', 2.95, 378.6, '住宅', ''),
          ('3F', 2.95, 378.6, '住宅', ''), ('2F', 2.95, 378.6, '住宅', ''),
          ('1F', 4.20, 405.2, '店舗・駐輪場', 'ピロティ有')]
for f in floors:
    L(row(wd, [f[0], '%.2f' % f[1], '%.1f' % f[2], f[3], f[4]], ['l', 'r', 'r', 'l', 'l']))
L(bottom(wd), '<HPitch-End>', '')
L('  1.3  使用材料', '')
wd = [22, 16, 16, 18]
L('<HPitch-Start>', top(wd),
  row(wd, ['材料', '種別', '設計基準', '適用箇所']), sep(wd))
mats = [('コンクリート', 'Fc = 27', '普通', '上部構造'), ('コンクリート', 'Fc = 24', '普通', '基礎・杭'),
        ('鉄筋 D10～D16', 'SD295A', 'JIS G 3112', 'スラブ・帯筋'),
        ('鉄筋 D19～D25', 'SD345', 'JIS G 3112', '柱・梁主筋'),
        ('鉄筋 D29', 'SD390', 'JIS G 3112', '1 階柱主筋')]
for i, m in enumerate(mats):
    if i:
        L(sep(wd))
    L(row(wd, list(m)))
L(bottom(wd), '<HPitch-End>', '')
L('  材料の許容応力度 (N/mm^2)', '')
L('      コンクリート Fc27 ：  長期 f!c = 9.0    短期 f!c = 18.0    f!s = 0.76 (長期)')
L('      鉄筋 SD345        ：  長期 f!t = 215   短期 f!t = 345    せん断補強 f!w = 195')
L('      鉄筋 SD295A       ：  長期 f!t = 195   短期 f!t = 295')
L('<Page-End>')
L('<Font1>', '1.  建物概要（つづき）', '<Font3>', '')
L('  1.4  1 階平面図', '')
L('<bmpファイル>', r'figures\plan.bmp')
L('<図形挿入>', '', '      図 1-1  1 階平面図（店舗・駐輪場・エントランス）', 'Fig 101 1 0', '')
L('  1.5  工事写真', '')
L('<jpgファイル>', r'figures\site.jpg')
L('<図形挿入>', '', '      写真 1-1  躯体工事の状況（6 階床打設前）', 'Fig 102 2 0')
L('<Page-End>')

# ---------------------------------------------------------------- 2. 荷重
L('<Font1>', '2.  荷重および外力', '<Font3>', '')
L('')
L('<Title-Start>',
  '  2.1  固定荷重および積載荷重',
  '<HPitch-Start>')
wd = [18, 26, 12, 12, 12, 12]
hdr = [top(wd), row(wd, ['室名', '仕上げ', '固定', '床用', '架構用', '地震用']),
       row(wd, ['', '', '(N/㎡)', '(N/㎡)', '(N/㎡)', '(N/㎡)']), sep(wd)]
L(*hdr)
L('<Title-End>')
rooms = [('住戸居室', ['フローリング t=12', '置床 t=100', 'スラブ t=200', '天井 ボード'], [120, 300, 4800, 200], 1800, 1300, 600),
         ('住戸水回り', ['長尺シート', 'モルタル t=30', 'スラブ t=200', '天井 ボード'], [60, 600, 4800, 200], 1800, 1300, 600),
         ('共用廊下', ['長尺シート', 'モルタル t=30', 'スラブ t=180'], [60, 600, 4320], 2900, 1800, 800),
         ('バルコニー', ['防水 塗膜', 'モルタル t=40', 'スラブ t=160'], [50, 800, 3840], 1800, 1300, 600),
         ('店舗', ['タイル t=30', 'モルタル t=40', 'スラブ t=220', '天井 岩綿吸音板'], [600, 800, 5280, 150], 2900, 2400, 1300),
         ('屋上', ['押えコンクリート t=80', 'アスファルト防水', '断熱材 t=50', 'スラブ t=200'], [1840, 150, 30, 4800], 900, 650, 300),
         ('塔屋 機械室', ['モルタル t=30', 'スラブ t=200'], [600, 4800], 4900, 2400, 1300),
         ('階段', ['モルタル t=30', '段床 平均 t=250'], [600, 6000], 2900, 1800, 800)]
for i, (name, fins, loads, a, b, c) in enumerate(rooms):
    if i:
        L(sep(wd))
    for j, (f, ld) in enumerate(zip(fins, loads)):
        L(row(wd, [name if j == 0 else '', f, str(ld), '', '', ''], ['l', 'l', 'r', 'r', 'r', 'r']))
    L(row(wd, ['', '  合計', str(sum(loads)), str(a + sum(loads)), str(b + sum(loads)), str(c + sum(loads))],
          ['l', 'l', 'r', 'r', 'r', 'r']))
L(bottom(wd), '<HPitch-End>', '<Data-End>', '')
L('  2.2  積雪荷重', '')
L('      一般地域　垂直積雪量 d = 30 cm,  単位荷重 20 N/m^2/cm')
L('      S = 20 × 30 × μ!b = 600 N/m^2   （屋根勾配 0 度のため μ!b = 1.0）')
L('')
L('<Block-Start>')
L('  2.3  風圧力', '')
L('      地表面粗度区分 III,  基準風速 V!0 = 34 m/s,  H = 20.35 m')
L('      Z!b = 5 m,  Z!G = 450 m,  α = 0.20')
fraction('      E!r = 1.7 × ( ', 'H', 'Z!G ', ' )^0.20 = 1.7 × (20.35 / 450)^0.20 = 0.917')
L('      G!f = 2.2   （H ≦ 10 m と 40 m 以上の補間）')
L('      E = E!r^2 × G!f = 0.917^2 × 2.2 = 1.850')
L('      q = 0.6 × E × V!0^2 = 0.6 × 1.850 × 34^2 = 1,283 N/m^2')
L('<Block-End>', '')
L('<Block-Start>')
L('  2.4  地震力', '')
L('      地域係数 Z = 1.0,  地盤種別 第 2 種地盤 (T!c = 0.6 s)')
L('      設計用一次固有周期 T = h (0.02 + 0.01 α) = 19.15 × 0.02 = 0.383 s')
L('      振動特性係数 R!t = 1.0   （T < T!c）')
L('      標準せん断力係数 C!0 = 0.2')
fraction('      A!i = 1 + ( ', '1', '√α!i ', ' - α!i ) × 2T / (1 + 3T)')
L('      C!i = Z × R!t × A!i × C!0,    Q!i = C!i × ΣW!i')
L('<Block-End>', '')
wd = [8, 16, 14, 10, 10, 12, 16]
L('<HPitch-Start>', top(wd),
  row(wd, ['階', 'Wi (kN)', 'ΣWi (kN)', 'αi', 'Ai', 'Ci', 'Qi (kN)']), sep(wd))
W = [560.4, 4210.8, 4188.2, 4188.2, 4188.2, 4188.2, 5402.6]
names = ['PH', '6F', '5F', '4F', '3F', '2F', '1F']
tot = sum(W)
acc = 0
T = 0.383
for n, wi in zip(names, W):
    acc += wi
    a = acc / tot
    Ai = 1 + (1 / math.sqrt(a) - a) * 2 * T / (1 + 3 * T)
    Ci = 0.2 * Ai
    L(row(wd, [n, '%.1f' % wi, '%.1f' % acc, '%.3f' % a, '%.3f' % Ai, '%.4f' % Ci, '%.1f' % (Ci * acc)],
          ['l'] + ['r'] * 6))
L(bottom(wd), '<HPitch-End>', '<Page-End>')

# ---------------------------------------------------------------- 3. 柱の断面検定
L('<Font1>', '3.  柱の断面検定', '<Font3>', '')
L('  3.0  応力図', '')
L('<emfファイル0>', r'figures\frame.emf')
L('<図形挿入>', '      図 3-1  Y1 通り  長期荷重時の曲げモーメント', 'Fig 301 1 0', '')
L('  3.1  検定方針', '')
L('      長期：  N!L ,  M!L に対し  σ!c ≦ f!c ,  σ!t ≦ f!t   を確認する。')
L('      短期：  N!L ± N!E ,  M!L ± M!E に対し許容曲げモーメント M!a ≧ M を確認する。')
L('      せん断：  Q!D = Q!L + 1.5 Q!E  に対し  Q!A = b j { α f!s + 0.5 w!f!t ( p!w - 0.002 ) }')
L('')
L('      曲げ応力度の算定：')
fraction('          σ!b = ', 'M', 'Z ', ' ≦ f!b    （Z = b D^2 / 6）')
L('      軸応力度の算定：')
fraction('          σ!c = ', 'N', 'b × D ', ' ≦ f!c')
L('')
L('<Title-Start>',
  '  3.2  柱断面検定表　（単位  N : kN,  M : kN·m,  Q : kN）'.replace('·', '・'),
  '<HPitch-Start>')
wd = [8, 12, 16, 8, 10, 10, 10, 10]
L(top(wd),
  row(wd, ['符号', '位置', '断面 b×D', '応力', '長期', '短期+', '短期-', '検定比'], ['l', 'l', 'l', 'l', 'l', 'l', 'l', 'l']),
  row(wd, ['', '', '主筋 / 帯筋', '', '', '', '', '']),
  sep(wd),
  '<Title-End>')
cols = ['C1', 'C2', 'C3', 'C4', 'C5']
sections = {'1F': ('800×800', '16-D29', '□-D13@100'), '2F': ('750×750', '12-D25', '□-D13@100'),
            '3F': ('750×750', '12-D25', '□-D13@100'), '4F': ('700×700', '12-D25', '□-D10@100'),
            '5F': ('700×700', '12-D22', '□-D10@100'), '6F': ('650×650', '12-D22', '□-D10@100')}
k = 0
for fl in ['6F', '5F', '4F', '3F', '2F', '1F']:
    for c in cols:
        k += 1
        sec, main, hoop = sections[fl]
        fac = (7 - int(fl[0])) * 0.9 + (k % 5) * 0.13
        N = 310 * fac + 40
        M = 95 * fac ** 0.8 + 12
        Q = 60 * fac ** 0.7 + 8
        ratio = min(0.98, 0.28 + 0.09 * fac + (k % 7) * 0.011)
        L(row(wd, [c, fl + ' 柱頭', sec, 'N', '%.0f' % N, '%.0f' % (N * 1.3), '%.0f' % (N * 0.6), ''],
              ['l', 'l', 'l', 'c', 'r', 'r', 'r', 'r']))
        L(row(wd, ['', '', main, 'M', '%.0f' % M, '%.0f' % (M * 2.4), '%.0f' % (-M * 1.6), '%.2f' % ratio],
              ['l', 'l', 'l', 'c', 'r', 'r', 'r', 'r']))
        L(row(wd, ['', '', hoop, 'Q', '%.0f' % Q, '%.0f' % (Q * 2.6), '%.0f' % (-Q * 1.8), '%.2f' % (ratio * 0.8)],
              ['l', 'l', 'l', 'c', 'r', 'r', 'r', 'r']))
        if not (fl == '1F' and c == cols[-1]):
            L(sep(wd))
L(bottom(wd), '<HPitch-End>', '<Data-End>', '')
L('      以上より、全ての柱について検定比 1.0 以下であることを確認した。')
L('<Page-End>')

# ---------------------------------------------------------------- 4. 梁の断面検定
L('<Font1>', '4.  大梁の断面検定', '<Font3>', '')
L('      許容曲げモーメント   M!a = a!t × f!t × j    （j = 7/8 d）')
L('      許容せん断力         Q!A = b × j × { α × f!s + 0.5 × w!f!t × ( p!w - 0.002 ) }')
L('')
L('<Title-Start>', '  4.1  大梁断面検定表　（単位  M : kN・m,  Q : kN）', '<HPitch-Start>')
wd = [8, 8, 14, 8, 10, 10, 10, 10]
L(top(wd),
  row(wd, ['符号', '階', '断面 b×D', '位置', 'M 設計', 'Ma', 'Q 設計', '検定比']),
  sep(wd), '<Title-End>')
beams = ['G1', 'G2', 'G3', 'G4', 'G5']
k = 0
for fl in ['RF', '6F', '5F', '4F', '3F', '2F']:
    L('<Font2>')
    for b in beams:
        k += 1
        base = 120 + (k % 6) * 23 + (6 - ['RF', '6F', '5F', '4F', '3F', '2F'].index(fl)) * 11
        for pos, f in (('左端', 1.0), ('中央', 0.62), ('右端', 0.94)):
            M = base * f
            Ma = base * 1.45
            Q = base * 0.7 * f
            L(row(wd, [b if pos == '左端' else '', fl if pos == '左端' else '',
                       '450×800' if pos == '左端' else ('上 4-D25' if pos == '中央' else '下 4-D25'),
                       pos, '%.0f' % M, '%.0f' % Ma, '%.0f' % Q, '%.2f' % (M / Ma)],
                  ['l', 'l', 'l', 'l', 'r', 'r', 'r', 'r']))
        if not (fl == '2F' and b == beams[-1]):
            L(sep(wd))
    L('<Font3>')
L(bottom(wd), '<HPitch-End>', '<Data-End>', '')
L('  4.2  大梁断面図', '')
L('<emfファイル>', r'figures\beam.emf')
L('<図形挿入>', '      図 4-1  2F G3  断面（450×800）', 'Fig 401 1 0', '')
L('<Block-Start>')
L('  4.3  たわみの検討　（2F G3  スパン L = 7,200 mm）', '')
L('      E = 2.27 × 10^4 N/mm^2 ,  I!e = 1.92 × 10^10 mm^4  （スラブ協力幅を考慮）')
fraction('      δ = ', '5 w L^4', '384 E I!e ', ' × 8 (クリープ) = 14.6 mm')
fraction('      ', 'δ', 'L ', ' = 14.6 / 7,200 = 1 / 493 ≦ 1 / 250     OK')
L('<Block-End>')
L('<Page-End>')

# ---------------------------------------------------------------- 5. まとめ
L('<Font1>', '5.  検討結果のまとめ', '<Font3>', '')
wd = [24, 20, 14, 12]
L('<HPitch-Start>', top(wd),
  row(wd, ['検討項目', '最大検定比', '箇所', '判定']), sep(wd))
summary = [('柱  曲げ・軸力', '0.86', '1F C3', 'OK'), ('柱  せん断', '0.71', '1F C5', 'OK'),
           ('大梁  曲げ', '0.69', '2F G2', 'OK'), ('大梁  せん断', '0.58', '3F G4', 'OK'),
           ('大梁  たわみ', '1 / 493', '2F G3', 'OK'), ('層間変形角', '1 / 412', '1F X 方向', 'OK')]
for i, s in enumerate(summary):
    if i:
        L(sep(wd))
    L(row(wd, list(s), ['l', 'r', 'l', 'c']))
L(bottom(wd), '<HPitch-End>', '')
L('      以上により、本建物は所要の構造安全性を有することを確認した。')
L('', '                                                                    以  上')

text = '\r\n'.join(out) + '\r\n'
import sys
sys.stdout.write(text)

