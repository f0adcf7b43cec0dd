Option Compare Database
Option Explicit

Private Sub Form_Open(Cancel As Integer)
    Me!要発注.Caption = "要発注：" & 要発注件数() & " 件"
End Sub

Private Sub 受注入力ボタン_Click()
    DoCmd.OpenForm "受注入力"
End Sub

Private Sub 得意先ボタン_Click()
    DoCmd.OpenForm "得意先入力"
End Sub

Private Sub 請求書ボタン_Click()
    DoCmd.OpenReport "請求書", acViewPreview
End Sub
