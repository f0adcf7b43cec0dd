#!/usr/bin/env python3
"""Writes the CSV rows of samples/hanbai.json (run by hand; the CSV files are
committed and read by quillmark-mkdb). Deterministic: the same rows each run."""
import csv
import datetime
import os
import random

here = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(1997)


def write(name, header, rows):
    with open(os.path.join(here, name), "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(header)
        w.writerows(rows)


regions = ["北海道", "東北", "関東", "中部", "近畿", "中国", "四国", "九州"]
write("地区.csv", ["地区ID", "地区名"], [[i + 1, r] for i, r in enumerate(regions)])

families = ["山田", "鈴木", "佐藤", "高橋", "田中", "伊藤", "渡辺", "中村", "小林", "加藤",
            "吉田", "山本", "松本", "井上", "木村", "林", "清水", "斎藤", "山口", "森"]
kana = {"山田": "ﾔﾏﾀﾞ", "鈴木": "ｽｽﾞｷ", "佐藤": "ｻﾄｳ", "高橋": "ﾀｶﾊｼ", "田中": "ﾀﾅｶ", "伊藤": "ｲﾄｳ",
        "渡辺": "ﾜﾀﾅﾍﾞ", "中村": "ﾅｶﾑﾗ", "小林": "ｺﾊﾞﾔｼ", "加藤": "ｶﾄｳ", "吉田": "ﾖｼﾀﾞ", "山本": "ﾔﾏﾓﾄ",
        "松本": "ﾏﾂﾓﾄ", "井上": "ｲﾉｳｴ", "木村": "ｷﾑﾗ", "林": "ﾊﾔｼ", "清水": "ｼﾐｽﾞ", "斎藤": "ｻｲﾄｳ",
        "山口": "ﾔﾏｸﾞﾁ", "森": "ﾓﾘ"}
trades = [("商店", "ｼｮｳﾃﾝ"), ("物産", "ﾌﾞｯｻﾝ"), ("工業", "ｺｳｷﾞｮｳ"), ("電機", "ﾃﾞﾝｷ"), ("食品", "ｼｮｸﾋﾝ"),
          ("文具店", "ﾌﾞﾝｸﾞﾃﾝ"), ("印刷", "ｲﾝｻﾂ"), ("事務機", "ｼﾞﾑｷ")]
cities = [("札幌市中央区", "060"), ("仙台市青葉区", "980"), ("東京都千代田区", "100"), ("名古屋市中区", "460"),
          ("大阪市北区", "530"), ("広島市中区", "730"), ("高松市", "760"), ("福岡市博多区", "812")]
customers = []
for i in range(40):
    fam = families[i % 20]
    trade, trade_kana = trades[(i * 3) % 8]
    region = i % 8
    city, zip3 = cities[region]
    form = ["株式会社　", "有限会社　", ""][i % 3]
    name = f"{form}{fam}{trade}"
    start = datetime.date(1990, 4, 1) + datetime.timedelta(days=97 * i)
    note = "" if i % 4 else "支払は月末締め翌月末払い。"
    customers.append([i + 1, name, kana[fam] + trade_kana, region + 1, f"{zip3}-{1000 + i * 37:04d}",
                      f"{city}{i % 5 + 1}-{i % 9 + 1}-{i % 7 + 1}", f"0{i % 9 + 1}-{2000 + i * 113:04d}-{5000 + i * 71:04d}",
                      (i % 5 + 1) * 1000000, start.isoformat(), "false" if i % 13 == 12 else "true", note])
write("得意先.csv", ["得意先ID", "会社名", "ﾌﾘｶﾞﾅ", "地区ID", "郵便番号", "住所", "電話番号", "与信限度額",
                    "取引開始日", "有効", "備考"], customers)

suppliers = ["東洋製紙株式会社", "日本文具工業", "ｴｰｽ･ｻﾌﾟﾗｲ", "大和事務機", "富士ﾌｧｲﾙ販売", "関西ﾍﾟﾝ製作所",
             "北日本ﾉｰﾄ", "中央ｵﾌｨｽ機器", "みなと梱包資材", "ｻﾝｺｰ電子"]
write("仕入先.csv", ["仕入先ID", "仕入先名", "担当者", "電話番号"],
      [[i + 1, s, f"{families[(i * 7) % 20]}　{['一郎', '花子', '次郎', '幸子', '三郎'][i % 5]}",
        f"03-{3100 + i * 17:04d}-{1200 + i * 33:04d}"] for i, s in enumerate(suppliers)])

categories = [("筆記具", "ﾎﾞｰﾙﾍﾟﾝ、鉛筆、ﾏｰｶｰなど。"), ("紙製品", "ﾉｰﾄ、ｺﾋﾟｰ用紙、封筒。"),
              ("ﾌｧｲﾙ", "ﾌｧｲﾙとﾊﾞｲﾝﾀﾞｰ。"), ("事務機器", "電卓、ｼｭﾚｯﾀﾞｰ、ﾗﾍﾞﾙﾌﾟﾘﾝﾀ。"),
              ("梱包用品", "ﾃｰﾌﾟ、段ﾎﾞｰﾙ。"), ("OA用品", "ﾄﾅｰ、ｲﾝｸ、記録媒体。")]
write("商品分類.csv", ["分類ID", "分類名", "説明"], [[i + 1, c, d] for i, (c, d) in enumerate(categories)])

items = [
    "ボールペン　黒", "ボールペン　赤", "シャープペンシル", "鉛筆　ＨＢ", "蛍光マーカー", "油性マーカー", "消しゴム",
    "ノート　Ａ４", "ノート　Ｂ５", "ｺﾋﾟｰ用紙 Ａ４ 500枚", "ｺﾋﾟｰ用紙 Ａ３ 500枚", "長形３号封筒", "角形２号封筒", "付箋",
    "ﾌｧｲﾙ Ａ４", "ﾘﾝｸﾞﾊﾞｲﾝﾀﾞｰ", "ｸﾘｱﾌｧｲﾙ 10枚", "ﾎﾞｯｸｽﾌｧｲﾙ", "ﾚﾊﾞｰｱｰﾁﾌｧｲﾙ", "個別ﾌｫﾙﾀﾞｰ",
    "電卓　１２桁", "ｼｭﾚｯﾀﾞｰ", "ﾗﾍﾞﾙﾌﾟﾘﾝﾀ", "ホッチキス", "穴あけパンチ", "ﾀｲﾑﾚｺｰﾀﾞｰ", "電動鉛筆削り",
    "ｸﾗﾌﾄﾃｰﾌﾟ", "ＯＰＰﾃｰﾌﾟ", "段ﾎﾞｰﾙ箱　小", "段ﾎﾞｰﾙ箱　大", "緩衝材", "ﾄﾅｰ　黒", "ﾄﾅｰ　ｶﾗｰ",
    "ｲﾝｸｶｰﾄﾘｯｼﾞ", "ＣＤ－Ｒ 10枚", "ＵＳＢﾒﾓﾘ", "ﾏｳｽ", "ｷｰﾎﾞｰﾄﾞ", "ＯＡﾀｯﾌﾟ"]
cat_of = [1] * 7 + [2] * 7 + [3] * 6 + [4] * 7 + [5] * 5 + [6] * 8
products = []
for i, name in enumerate(items):
    price = [80, 120, 150, 250, 300, 480, 650, 980, 1980, 2980, 4800, 12800][(i * 5) % 12]
    products.append([1001 + i, name, cat_of[i], (i % 10) + 1, price, int(price * 0.62),
                     (i * 37) % 500, 20 + (i % 4) * 10, "true" if i % 17 == 16 else "false"])
write("商品.csv", ["商品ID", "商品名", "分類ID", "仕入先ID", "単価", "原価", "在庫数", "発注点", "販売中止"], products)

staff = [("山本　健一", "ﾔﾏﾓﾄ ｹﾝｲﾁ", "部長", None), ("佐々木　愛", "ｻｻｷ ｱｲ", "課長", 1),
         ("中島　誠", "ﾅｶｼﾞﾏ ﾏｺﾄ", "課長", 1), ("石川　由美", "ｲｼｶﾜ ﾕﾐ", "主任", 2),
         ("前田　翔", "ﾏｴﾀﾞ ｼｮｳ", "主任", 3), ("藤田　恵", "ﾌｼﾞﾀ ﾒｸﾞﾐ", "", 2),
         ("後藤　大輔", "ｺﾞﾄｳ ﾀﾞｲｽｹ", "", 2), ("岡田　美咲", "ｵｶﾀﾞ ﾐｻｷ", "", 3),
         ("長谷川　隆", "ﾊｾｶﾞﾜ ﾀｶｼ", "", 3), ("村上　彩", "ﾑﾗｶﾐ ｱﾔ", "", 4),
         ("近藤　拓也", "ｺﾝﾄﾞｳ ﾀｸﾔ", "", 5), ("坂本　直子", "ｻｶﾓﾄ ﾅｵｺ", "", 5)]
write("社員.csv", ["社員ID", "氏名", "ｼﾒｲ", "役職", "入社日", "上司ID"],
      [[i + 1, n, k, r, (datetime.date(1980, 4, 1) + datetime.timedelta(days=400 * i)).isoformat(),
        "" if b is None else b] for i, (n, k, r, b) in enumerate(staff)])

write("運送会社.csv", ["運送会社ID", "会社名", "電話番号"],
      [[1, "ﾔﾏﾄ便", "0120-01-9625"], [2, "佐川便", "0120-18-9595"], [3, "日本通運", "0120-15-4022"],
       [4, "自社配送", ""]])

orders, lines = [], []
day = datetime.date(1997, 4, 1)
for o in range(90):
    day += datetime.timedelta(days=rng.choice([1, 1, 2, 3, 4]))
    due = day + datetime.timedelta(days=7)
    shipped = "" if o >= 84 else (day + datetime.timedelta(days=rng.randint(1, 6))).isoformat()
    orders.append([o + 1, rng.randint(1, 40), rng.randint(4, 12), day.isoformat(), due.isoformat(), shipped,
                   rng.randint(1, 4), rng.choice([0, 500, 800, 1200])])
    for _ in range(2):
        p = products[rng.randrange(len(products))]
        lines.append([len(lines) + 1, o + 1, p[0], p[4], rng.choice([1, 2, 5, 10, 20, 50, 100]),
                      rng.choice([0, 0, 0, 0.05, 0.1])])
write("受注.csv", ["受注ID", "得意先ID", "社員ID", "受注日", "納期", "出荷日", "運送会社ID", "送料"], orders)
write("受注明細.csv", ["明細ID", "受注ID", "商品ID", "単価", "数量", "値引率"], lines)

targets = []
for e in range(12):
    for q, month in enumerate(["1997/04", "1997/07", "1997/10", "1998/01"]):
        targets.append([e * 4 + q + 1, e + 1, month, (3 + (e * 7 + q * 3) % 9) * 500000])
write("売上目標.csv", ["目標ID", "社員ID", "四半期", "目標額"], targets)
