#!/usr/bin/env python3
"""Writes a few small result pages, per kind and encoding, as fuzzer seeds."""
import pathlib
import sys

out = pathlib.Path(sys.argv[1])
table = '<table border="0" cellpadding="0" cellspacing="0" id="1">'
count = '<td align="right" nowrap>百度一下，找到相关网页约1,234篇，用时0.1秒</td>'
block = ('<tr><td><font color="#008000"><b>a.com</b>/ 2008-9-5 </font> - '
         '<p style="margin:0 0 0 15px">摘要</p></td></tr></table>')
home = '<font color="#008000">a.com/ 12K</font>'
pages = [count + table + home + block, count + table + block + '抱歉，没有找到该URL', count]
for kind in range(7):
    for i, page in enumerate(pages):
        for enc in ('gbk', 'utf-8'):
            data = bytes([kind, 5]) + b'a.com' + page.encode(enc)
            (out / f'seed-{kind}-{i}-{enc}').write_bytes(data)
