Option Compare Database
Option Explicit

Private 請求 As 請求書クラス

Private Sub Report_Open(Cancel As Integer)
    Set 請求 = New 請求書クラス
End Sub

Private Sub 詳細_Format(Cancel As Integer, FormatCount As Integer)
    請求.明細追加 Me!単価, Me!数量, Nz(Me!値引率, 0)
End Sub

Private Sub Report_NoData(Cancel As Integer)
    MsgBox "請求する受注がありません。"
    Cancel = True
End Sub
