;;; teaching-languages.el --- Major modes for plimbo, m4t4 and vexa  -*- lexical-binding: t -*-

;;; Commentary:

;; plimbo-mode (*.plb), m4t4-mode (*.m4t) and vexa-mode (*.vexa): highlighting
;; after the programs' own token rules, comment syntax for M-;, and M-x
;; compile running the interpreter on the file, whose messages `next-error'
;; visits at the line they print.  The interpreters are named by
;; `teaching-languages-programs'.

;;; Code:

(require 'compile)

(defgroup teaching-languages nil
  "The teaching languages plimbo, m4t4 and vexa."
  :group 'languages)

(defcustom teaching-languages-programs '((plimbo . "plimbo") (m4t4 . "m4t4") (vexa . "vexa"))
  "The program that runs each language."
  :type '(alist :key-type symbol :value-type string))

(defun teaching-languages--compiled-file ()
  "The source file of the compilation: the last word of its command."
  (save-match-data
    (car (last (split-string-and-unquote (car compilation-arguments))))))

;; The messages name no file: they belong to the file the command ran.  A
;; run that fails without a message, or a file that cannot be opened, is an
;; error on the file's first line.
(dolist (entry
         `((plimbo "^([^)\n]*)Chyba (\\([0-9]+\\)), " teaching-languages--compiled-file 1)
           ;; The closing failure line after a line that is no message.
           (plimbo-unfinished "^\\(?:[^(\n].*\\)?\n\n\\(Neco se pokazilo\\.\\.\\.\\)$" teaching-languages--compiled-file nil nil 2 nil (1 compilation-error-face))
           (plimbo-unopened "^File \"\\(.*\\)\" se nepodarilo otevrit ty plimbo" 1)
           (m4t4 "V bloku: '[^'\n]*', na radku: \\([0-9]+\\) nastala chyba - " teaching-languages--compiled-file 1)
           (m4t4-unopened "^Soubor \"\\(.*\\)\" se nezdarilo otevrit\\.$" 1)))
  (setf (alist-get (car entry) compilation-error-regexp-alist-alist) (cdr entry))
  (add-to-list 'compilation-error-regexp-alist (car entry)))

(defun teaching-languages--compile-command (language)
  "The command that runs LANGUAGE's program on the current file."
  (let ((program (alist-get language teaching-languages-programs))
        (file (shell-quote-argument (or buffer-file-name ""))))
    (if (eq language 'vexa)
        ;; vexa lists only zdrojak.vexa in the current folder: list a copy.
        (format "d=$(mktemp -d) && cp %s \"$d/zdrojak.vexa\" && cd \"$d\" && %s; rm -rf \"$d\" # %s"
                file (shell-quote-argument program) file)
      (format "%s %s" (shell-quote-argument program) file))))

(defmacro teaching-languages--define-mode (name language extension comment comment-end keywords font-lock)
  "Define NAME, the major mode of LANGUAGE for files ending in EXTENSION."
  `(progn
     (defvar ,(intern (format "%s-font-lock-keywords" name)) ,font-lock)
     (define-derived-mode ,name prog-mode ,(symbol-name language)
       ,(format "Major mode for %s source files." language)
       (setq-local comment-start ,comment)
       (setq-local comment-end ,comment-end)
       (setq-local comment-start-skip ,(concat (regexp-quote (string-trim comment)) "+ *"))
       (setq-local font-lock-defaults (list ',(intern (format "%s-font-lock-keywords" name)) t))
       (setq-local syntax-propertize-function nil)
       (setq-local indent-tabs-mode nil)
       (setq-local compile-command (teaching-languages--compile-command ',language))
       ,keywords)
     (add-to-list 'auto-mode-alist '(,(concat "\\." extension "\\'") . ,name))))

;; Comments and strings are found by one regular expression, so that the one
;; that begins first wins, as in the scanners; the rules after it leave them be.
(teaching-languages--define-mode
 plimbo-mode plimbo "plb" "// " "" nil
 '(("\\(/\\*\\(?:[^*]\\|\\*\\(?:.\\|\n\\)\\)*?\\*/\\|//.*\\)\\|\\(\"\\(?:[^\"\\\\]\\|\\\\\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\(?:[^A-Z]\\|^\\)\\(ZDECHNI\\|ESLI\\|JINEM\\|ILSE\\|DOKAD\\|FINISH\\|VRACEE\\|NASAJ\\|PROM\\|CTE\\)\\(?:[^A-Z]\\|\\'\\)" 1 font-lock-keyword-face)
   ("\\$[a-z0-9_]*" . font-lock-variable-name-face)
   ("[#@][a-z0-9_]*" . font-lock-function-name-face)
   ("[-+]?\\(?:[0-9]+\\(?:,[0-9]*\\)?\\|,[0-9]*\\)" . font-lock-constant-face)
   ("[^][ \t\n\r\v\f{}();<>!:=*/%&|+,0-9a-zA-Z$#@\"-]" . font-lock-warning-face)))

(teaching-languages--define-mode
 m4t4-mode m4t4 "m4t" ":: " "" nil
 '(("\\(:!\\(?:.\\|\n\\)*?!:\\|::.*\\)\\|\\(\"\\(?:[^\"/]\\|/\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\(?:[^a-z0-9_@~?.]\\|^\\)\\(w2_end\\|i2_end\\|w2\\|i2\\|e2\\|pis_ln\\|pis\\|cti\\|p2\\|\\.\\)\\(?:[^a-z0-9_]\\|\\'\\)" 1 font-lock-keyword-face)
   ("@[a-z][a-z0-9_]*" . font-lock-variable-name-face)
   ("[~?][a-z][a-z0-9_]*" . font-lock-function-name-face)
   ("[-+]?[0-9]+\\(?:,[0-9]+\\)?\\(?:e[-+]?[0-9]+\\)?" . font-lock-constant-face)
   ("[A-Z#$'[\\\\`\r]" . font-lock-warning-face)))

(teaching-languages--define-mode
 vexa-mode vexa "vexa" "[> " "" nil
 '(("\\(\\[\\[\\(?:.\\|\n\\)*?\\]\\]\\|\\[>.*\\)\\|\\(\"\\(?:[^\"\\\\]\\|\\\\\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\$[A-Za-z0-9_]+\\$" . font-lock-variable-name-face)
   ("[-+]?[0-9]+\\(?:\\.[0-9]+\\)?" . font-lock-constant-face)
   ("[#',.?@\\\\_`~]" . font-lock-warning-face)))

(provide 'teaching-languages)
;;; teaching-languages.el ends here
