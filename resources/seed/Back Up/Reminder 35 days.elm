Hello *User_Name*,

Five weeks have passed since you won *Auction_Name* (item number *Auction_Number*) on *Auction_Close_Date*, and the payment of *Auction_Total* invoiced on *Invoice_Sent_Date* has still not arrived.

Please understand that unless I receive your payment or hear from you within the next seven days, I will have to file an unpaid item report with the auction site.

If you no longer wish to complete this purchase, please let me know so we can close the transaction properly.

Best regards,

Your Seller
