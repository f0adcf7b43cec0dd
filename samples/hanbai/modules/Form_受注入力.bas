Option Compare Database
Option Explicit

Private Sub Form_Current()
    Me!出荷ボタン.Enabled = IsNull(Me!出荷日)
End Sub

Private Sub Form_BeforeUpdate(Cancel As Integer)
    If Me!納期 < Me!受注日 Then
        MsgBox "納期は受注日より後にしてください。", vbExclamation
        Cancel = True
    End If
End Sub

Private Sub 出荷ボタン_Click()
    If 出荷処理(Me!受注ID) Then
        Me.Requery
    End If
End Sub

Private Sub 閉じる_Click()
    DoCmd.Close acForm, Me.Name
End Sub
