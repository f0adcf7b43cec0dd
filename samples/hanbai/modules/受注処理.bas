Option Compare Database
Option Explicit

' 受注を出荷済みにし、在庫を減らす
Public Function 出荷処理(ByVal 受注ID As Long) As Boolean
    Dim db As Database, rs As Recordset
    On Error GoTo エラー
    Set db = CurrentDb()
    Set rs = db.OpenRecordset("SELECT 商品ID, 数量 FROM 受注明細 WHERE 受注ID = " & 受注ID)
    Do Until rs.EOF
        db.Execute "UPDATE 商品 SET 在庫数 = 在庫数 - " & rs!数量 & " WHERE 商品ID = " & rs!商品ID
        rs.MoveNext
    Loop
    rs.Close
    db.Execute "UPDATE 受注 SET 出荷日 = Date() WHERE 受注ID = " & 受注ID
    出荷処理 = True
    Exit Function
エラー:
    MsgBox "出荷処理に失敗しました：" & Err.Description, vbCritical
    出荷処理 = False
End Function

' 発注点を下回った商品の数
Public Function 要発注件数() As Long
    要発注件数 = DCount("*", "商品", "在庫数 < 発注点 And 販売中止 = False")
End Function

Public Sub 月次締め(ByVal 年月 As String)
    DoCmd.SetWarnings False
    DoCmd.OpenQuery "売上集計作成"
    DoCmd.SetWarnings True
    状態表示 年月 & " の締め処理が終わりました。"
End Sub
