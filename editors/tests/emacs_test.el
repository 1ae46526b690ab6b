;;; emacs_test.el --- The Emacs modes, run headless  -*- lexical-binding: t -*-

;; (editors-test-run BUILD-DIR): the compilation messages of real runs are
;; found at the lines they print, and the font-lock faces follow the tokens.

(require 'teaching-languages)

(defvar editors-test-failures 0)
(defvar editors-test-count 0)

(defun editors-test-check (name got want)
  (setq editors-test-count (1+ editors-test-count))
  (unless (equal got want)
    (setq editors-test-failures (1+ editors-test-failures))
    (message "FAIL %s\n  wanted %S\n  got    %S" name want got)))

(defun editors-test-errors (mode program source)
  "Run PROGRAM on SOURCE text in a compilation buffer; list (FILE LINE) of its errors."
  (let* ((file (make-temp-file "editors-emacs-" nil (if (eq mode 'plimbo-mode) ".plb" ".m4t") source))
         (command (format "%s %s" program file)))
    (unwind-protect
        (with-temp-buffer
          (compilation-mode)
          (setq-local compilation-arguments (list command))
          (let ((inhibit-read-only t))
            ;; As M-x compile writes it: a header, then the command.
            (insert "-*- mode: compilation -*-\nCompilation started\n\n" command "\n")
            (call-process-shell-command command nil t))
          (font-lock-ensure)
          (compilation--ensure-parse (point-max))
          (goto-char (point-min))
          (let (errors)
            (condition-case nil
                (while t
                  (compilation-next-error 1)
                  (let* ((message (get-text-property (point) 'compilation-message))
                         (loc (compilation--message->loc message)))
                    (push (list (equal (caar (compilation--loc->file-struct loc)) file)
                                (compilation--loc->line loc))
                          errors)))
              (error nil))
            (nreverse errors)))
      (delete-file file))))

(defun editors-test-faces (mode text)
  "Fontify TEXT in MODE; the face at each character."
  (with-temp-buffer
    (insert text)
    (funcall mode)
    (font-lock-ensure)
    (mapcar (lambda (i) (get-text-property i 'face)) (number-sequence 1 (1- (point-max))))))

(defun editors-test-run (build)
  (let ((plimbo (expand-file-name "plimbo" build))
        (m4t4 (expand-file-name "m4t4" build)))
    ;; Messages, with the line each prints (a missing ";" is seen on the next line).
    (editors-test-check "plimbo: a message" (editors-test-errors 'plimbo-mode plimbo "{\n  VRACEE (1)\n}\nZDECHNI\n") '((t 4)))
    (editors-test-check "plimbo: a type message" (editors-test-errors 'plimbo-mode plimbo "{\n\n VRACEE (\"a\" - 1);\n} ZDECHNI\n") '((t 3)))
    (editors-test-check "plimbo: no ZDECHNI" (editors-test-errors 'plimbo-mode plimbo "{ VRACEE (1); }\n") '((t nil)))
    (editors-test-check "plimbo: no message" (editors-test-errors 'plimbo-mode plimbo "{ NASAJ (5); } ZDECHNI\n") '((t nil)))
    (editors-test-check "plimbo: success" (editors-test-errors 'plimbo-mode plimbo "{ VRACEE (1); } ZDECHNI\n") nil)
    (editors-test-check "m4t4: a message" (editors-test-errors 'm4t4-mode m4t4 "{\n  pis_ln(\"a\")\n}\n.\n") '((t 4)))
    (editors-test-check "m4t4: after output" (editors-test-errors 'm4t4-mode m4t4 "{ pis(\"a\");\n pis(1 - \"x\"); } .\n") '((t 2)))
    (editors-test-check "m4t4: success" (editors-test-errors 'm4t4-mode m4t4 "{ pis_ln(1); } .\n") nil)
    ;; Faces: a comment marker in a string, a string in a comment, keywords, names.
    (let ((k 'font-lock-keyword-face) (s 'font-lock-string-face) (c 'font-lock-comment-face)
          (v 'font-lock-variable-name-face) (n 'font-lock-constant-face))
      (editors-test-check "plimbo faces"
                          (editors-test-faces 'plimbo-mode "ESLI $a \"//\" /*\"*/ 3,5")
                          (list k k k k nil v v nil s s s s nil c c c c c nil n n n))
      (editors-test-check "m4t4 faces"
                          (editors-test-faces 'm4t4-mode "w2 @a \"::\" :!\"!: -1")
                          (list k k nil v v nil s s s s nil c c c c c nil n n))
      (editors-test-check "vexa faces"
                          (editors-test-faces 'vexa-mode "$x$ \"[>\" [[\"]] 1.5")
                          (list v v v nil s s s s nil c c c c c nil n n n)))
    (message "emacs: %d passed, %d failed" (- editors-test-count editors-test-failures) editors-test-failures)
    (kill-emacs (if (zerop editors-test-failures) 0 1))))
