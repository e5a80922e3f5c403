SELECT CONVERT(varchar(10), F, 103), LEFT(Nombre, 3), RIGHT(Nombre, 2) FROM T /* comentario */ -- fin
COMMIT TRANSACTION
ROLLBACK TRAN